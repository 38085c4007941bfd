#include "link_cursor.h"

#include <gtest/gtest.h>

namespace {
enum class Pixel { Screen, Black, White };

Pixel At(const CursorMasks& m, int x, int y) {
    const int byte = (y * CursorMasks::kSize + x) / 8;
    const int bit = 0x80 >> (x % 8);
    const bool andBit = m.andMask[byte] & bit, xorBit = m.xorMask[byte] & bit;
    EXPECT_FALSE(andBit && xorBit) << "an inverting pixel at " << x << "," << y;
    return andBit ? Pixel::Screen : (xorBit ? Pixel::White : Pixel::Black);
}
} // namespace

TEST(LinkCursor, TheHotSpotIsTheFingertip) {
    const CursorMasks m = LinkCursorMasks();
    const int x = CursorMasks::kHotSpotX, y = CursorMasks::kHotSpotY;
    // The tip's outline, nothing above it and the finger below.
    EXPECT_EQ(std::tuple(At(m, x, y), At(m, x, y - 1), At(m, x, y + 1)),
              std::tuple(Pixel::Black, Pixel::Screen, Pixel::White));
    // The finger is the topmost part of the hand.
    for (int row = 0; row < y; ++row)
        for (int col = 0; col < CursorMasks::kSize; ++col) EXPECT_EQ(At(m, col, row), Pixel::Screen);
}

TEST(LinkCursor, TheHandIsClosedByItsOutline) {
    const CursorMasks m = LinkCursorMasks();
    // Every white pixel has no see-through neighbour: the outline leaves no gap.
    for (int y = 1; y + 1 < CursorMasks::kSize; ++y)
        for (int x = 1; x + 1 < CursorMasks::kSize; ++x) {
            if (At(m, x, y) != Pixel::White) continue;
            for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}})
                EXPECT_NE(At(m, x + dx, y + dy), Pixel::Screen) << x << "," << y;
        }
}
