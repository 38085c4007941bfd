#include "link_cursor.h"

namespace {
// X outline, o fill, . transparent.
constexpr const char* kHand[CursorMasks::kSize] = {
    "................................",
    "................................",
    "................................",
    "......XXXX......................",
    ".....XooooX.....................",
    ".....XooooX.....................",
    ".....XooooX.....................",
    ".....XooooX.....................",
    ".....XooooX.....................",
    ".....XooooXXXX..................",
    ".....XooooXoooXXXX..............",
    ".....XooooXoooXoooXXX...........",
    ".....XooooXoooXoooXooX..........",
    ".XXX.XooooXoooXoooXooX..........",
    "XoooXXoooooooooooooooX..........",
    "XooooXoooooooooooooooX..........",
    ".XoooXoooooooooooooooX..........",
    "..XooXoooooooooooooooX..........",
    "...XoooooooooooooooooX..........",
    "....XooooooooooooooooX..........",
    ".....XoooooooooooooooX..........",
    "......XooooooooooooooX..........",
    ".......XoooooooooooooX..........",
    "........XooooooooooooX..........",
    "........XooooooooooooX..........",
    "........XXXXXXXXXXXXXX..........",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
};
} // namespace

CursorMasks LinkCursorMasks() {
    CursorMasks masks{};
    for (int y = 0; y < CursorMasks::kSize; ++y)
        for (int x = 0; x < CursorMasks::kSize; ++x) {
            const char c = kHand[y][x];
            const int byte = (y * CursorMasks::kSize + x) / 8;
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
            if (c == '.') masks.andMask[byte] |= bit;
            if (c == 'o') masks.xorMask[byte] |= bit;
        }
    return masks;
}
