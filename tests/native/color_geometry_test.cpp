// The colour controls' arithmetic: drop-down placement, the palette's cells and hit test, the list's rows.
#include "color_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
using namespace color;

TEST(PopupPlacement, BelowOrAboveAlignedWithTheControlAndInsideTheScreensWidth) {
    // A 1024 by 768 screen at 96 dots per inch; ColorButton's palette is 94 by 141 pixels.
    const struct {
        PixelRect control;
        double width, height; // the popup's pixels
        int32_t left, top;    // twips
    } cases[] = {
        {{100, 100, 200, 122}, 94, 141, (200 - 94) * 15, 122 * 15}, // wider: right edges aligned
        {{100, 100, 149, 122}, 94, 141, 100 * 15, 122 * 15},        // narrower: left edges aligned
        {{100, 100, 194, 122}, 94, 141, 100 * 15, 122 * 15},        // as wide counts as narrower
        {{100, 700, 149, 722}, 94, 141, 100 * 15, (700 - 141) * 15}, // near the bottom: above the control
        {{100, 600, 149, 627}, 94, 141, 100 * 15, 627 * 15},        // just fitting: still below
        {{0, 50, 49, 70}, 94, 3000, 0, (50 - 3000) * 15},           // not held at the screen's top
        {{1000, 100, 1049, 122}, 94, 141, (1024 - 94) * 15, 122 * 15}, // pulled left at the right edge
        {{990, 100, 1090, 122}, 94, 141, (1024 - 94) * 15, 122 * 15},
        {{10, 10, 20, 20}, 2000, 141, (1024 - 2000) * 15, 20 * 15}, // wider than the screen: not held at 0
        {{-30, 100, 19, 122}, 94, 141, 0, 122 * 15},
        {{-150, 100, 50, 122}, 94, 141, 0, 122 * 15}, // a wider control whose right edge comes out negative
        // 628 + 140.4 passes a 768-pixel screen although 628 + 140 would not: compared unrounded.
        {{100, 606, 149, 628}, 94, 140.4, 100 * 15, 6984},
    };
    for (const auto& c : cases) {
        const PopupPlacement p =
            PlacePopup(c.control, c.width * 15, c.height * 15, 1024 * 15, 768 * 15, 15, 15);
        EXPECT_EQ(std::pair(p.left, p.top), std::pair(c.left, c.top))
            << c.control.left << "," << c.control.top;
    }
    // Rounded only at the end, halves to the even twip.
    EXPECT_EQ(PlacePopup({0, 0, 10, 1}, 1, 1, 1e6, 1e6, 1, 12.5).top, 12);
    EXPECT_EQ(PlacePopup({0, 0, 10, 3}, 1, 1, 1e6, 1e6, 1, 12.5).top, 38);
}

TEST(RoundHalfEven, RoundsHalvesToEvenAndHoldsTheEnds) {
    const std::pair<double, int32_t> cases[] = {
        {0.5, 0},  {1.5, 2},   {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {3.49, 3}, {-3.51, -4}, {std::nan(""), 0},
        {1e12, std::numeric_limits<int32_t>::max()}, {-1e12, std::numeric_limits<int32_t>::min()}};
    for (const auto& [value, rounded] : cases) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
}

TEST(Palette, CellsLieOnTheGridAndEachIsHitOnExactlyItsOwnPixels) {
    const PaletteTable p = BuildPaletteTable();
    auto corners = [](const PixelRect& r) { return std::array{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(corners(p[1].CellRect), (std::array<int32_t, 4>{4, 4, 24, 24}));
    EXPECT_EQ(corners(p[7].FillRect), (std::array<int32_t, 4>{50, 28, 66, 44})); // row 1, column 2
    EXPECT_EQ(corners(p[20].CellRect), (std::array<int32_t, 4>{70, 92, 90, 112}));
    EXPECT_EQ(corners(p[kOtherCell].CellRect), (std::array<int32_t, 4>{4, 116, 68, 137}));
    EXPECT_EQ(corners(p[kOtherCell].FillRect), (std::array<int32_t, 4>{8, 120, 64, 134}));
    EXPECT_EQ(std::pair(p[5].Color, p[18].Color), std::pair(0x000000FFu, 0x00F0CAA6u)); // red in the low byte
    // The box: the last column's right edge and the button's bottom, each plus the margin.
    EXPECT_EQ(p[20].CellRect.right + 4, kPaletteWidth);
    EXPECT_EQ(p[kOtherCell].CellRect.bottom + 4, kPaletteHeight);

    // Right and bottom edges are outside: nothing in the gaps, the margins or the strip right of "Other...".
    std::array<int, 22> hits{};
    for (int y = -2; y < kPaletteHeight + 2; ++y)
        for (int x = -2; x < kPaletteWidth + 2; ++x) {
            const int k = PaletteHit(p, x, y);
            const PixelRect& r = p[static_cast<size_t>(k)].CellRect;
            EXPECT_TRUE(k == 0 || (x >= r.left && x < r.right && y >= r.top && y < r.bottom))
                << x << "," << y;
            ++hits[static_cast<size_t>(k)];
        }
    for (int k = kFirstColorCell; k <= kLastColorCell; ++k) EXPECT_EQ(hits[static_cast<size_t>(k)], 400) << k;
    EXPECT_EQ(hits[kOtherCell], 64 * 21);
    EXPECT_EQ(PaletteHit(p, std::numeric_limits<int32_t>::max(), 10), 0);
}

TEST(ColorList, RowForAPressIncludingTheBottomBoundary) {
    // 1215 by 3240 twips: a sixteenth is 202.5. The bottom edge, which the outside test admits, has no row;
    // the right edge is still inside.
    const std::tuple<double, double, int> cases[] = {
        {100, 0, 0},      {100, 202.4, 0}, {100, 202.5, 1},  {100, 12 * 202.5 + 1, 12}, {100, 3225, 15},
        {100, 3240, -1},  {1215, 100, 0},  {1216, 100, -1},  {-1, 100, -1},             {100, -0.5, -1},
        {std::nan(""), 10, -1},
    };
    for (const auto& [x, y, row] : cases)
        EXPECT_EQ(ListRowAt(x, y, 1215, 3240, 3240), row) << x << "," << y;
    EXPECT_EQ(ListRowAt(100, 10, 1215, 3240, 0), -1) << "no inner height";
}

TEST(ColorNames, StandardNamesElseRedGreenBlueInHex) {
    const struct {
        uint32_t color;
        const wchar_t *hex, *name;
    } cases[] = {
        {0x00000000, L"#000000", L"black"},       {0x00800000, L"#000080", L"blue"},
        {0x000000FF, L"#FF0000", L"light red"},   {0x00FFFFFF, L"#FFFFFF", L"bright white"},
        {0x00C0DCC0, L"#C0DCC0", L"#C0DCC0"},     {0x00F0CAA6, L"#A6CAF0", L"#A6CAF0"},
        {0x80000000, L"#000000", L"#000000"}, // a system colour is none of them
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::tuple(HexColor(c.color), ColorName(c.color)), std::tuple(c.hex, c.name)) << c.hex;
    for (size_t i = 0; i < kStandardColors.size(); ++i) EXPECT_EQ(ColorName(kStandardColors[i]), kStandardColorNames[i]);
}

} // namespace
