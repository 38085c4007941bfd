// The colour controls' arithmetic: drop-down placement, the palette's cells and hit test, the list's rows.
#include "color_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
using namespace color;

// A 1024 by 768 screen at 96 dots per inch, and ColorButton's 94 by 141 pixel palette.
constexpr double kTx = 15, kTy = 15, kScreenW = 1024 * 15, kScreenH = 768 * 15;
constexpr double kPopupW = 94 * 15, kPopupH = 141 * 15;

PopupPlacement Place(PixelRect control) {
    return PlacePopup(control, kPopupW, kPopupH, kScreenW, kScreenH, kTx, kTy);
}

TEST(PopupPlacement, OpensBelowAndAlignsWithTheControl) {
    // Wider than the popup: right edges aligned.
    PopupPlacement wide = Place({100, 100, 200, 122});
    EXPECT_EQ(wide.left, 200 * 15 - 94 * 15);
    EXPECT_EQ(wide.top, 122 * 15);
    // Narrower: left edges aligned.
    PopupPlacement narrow = Place({100, 100, 149, 122});
    EXPECT_EQ(narrow.left, 100 * 15);
    EXPECT_EQ(narrow.top, 122 * 15);
    // Exactly as wide counts as narrower than the popup.
    EXPECT_EQ(Place({100, 100, 194, 122}).left, 100 * 15);
}

TEST(PopupPlacement, OpensAboveNearTheBottomWithItsBottomOnTheControlsTop) {
    PopupPlacement p = Place({100, 700, 149, 722});
    EXPECT_EQ(p.top + kPopupH, 700 * 15);
    // Just fitting still opens below.
    EXPECT_EQ(Place({100, 600, 149, 768 - 141}).top, (768 - 141) * 15);
    // Not clamped at the top of the screen.
    EXPECT_EQ(PlacePopup({0, 50, 49, 70}, kPopupW, 3000 * 15, kScreenW, kScreenH, kTx, kTy).top,
              (50 - 3000) * 15);
}

TEST(PopupPlacement, IsPulledLeftAtTheScreensRightEdge) {
    // Narrower control near the edge: the popup ends at the screen's right edge.
    EXPECT_EQ(Place({1000, 100, 1049, 122}).left, kScreenW - kPopupW);
    // A wider control reaching past the edge: the same.
    EXPECT_EQ(Place({990, 100, 1090, 122}).left, kScreenW - kPopupW);
    // A popup wider than the screen is not held at 0.
    EXPECT_EQ(PlacePopup({10, 10, 20, 20}, 2000 * 15, kPopupH, kScreenW, kScreenH, kTx, kTy).left,
              (1024 - 2000) * 15);
}

TEST(PopupPlacement, NegativeLeftBecomesZero) {
    EXPECT_EQ(Place({-30, 100, 19, 122}).left, 0);  // narrower control
    EXPECT_EQ(Place({-150, 100, 50, 122}).left, 0); // wider control whose right edge comes out negative
}

TEST(PopupPlacement, ComparesUnroundedAndRoundsOnlyAtTheEnd) {
    // 140.4 pixels high: 628 + 140.4 passes a 768-pixel screen although 628 + 140 would not.
    PopupPlacement p = PlacePopup({100, 606, 149, 628}, kPopupW, 140.4 * 15, kScreenW, kScreenH, kTx, kTy);
    EXPECT_EQ(p.top, 6984); // (606 - 140.4) * 15
    // Halves go to the even twip.
    EXPECT_EQ(PlacePopup({0, 0, 10, 1}, 1, 1, 1e6, 1e6, 1, 12.5).top, 12);
    EXPECT_EQ(PlacePopup({0, 0, 10, 3}, 1, 1, 1e6, 1e6, 1, 12.5).top, 38);
}

TEST(RoundHalfEven, RoundsHalvesToEvenAndHoldsTheEnds) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(3.49), 3);
    EXPECT_EQ(RoundHalfEven(-3.51), -4);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e12), std::numeric_limits<int32_t>::min());
}

TEST(Palette, CellsLieOnTheGridWithTheOtherButtonUnderThem) {
    PaletteTable p = BuildPaletteTable();
    auto corners = [](const PixelRect& r) {
        return std::array<int32_t, 4>{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(corners(p[1].CellRect), (std::array<int32_t, 4>{4, 4, 24, 24}));
    EXPECT_EQ(corners(p[7].FillRect), (std::array<int32_t, 4>{50, 28, 66, 44})); // row 1, column 2
    EXPECT_EQ(corners(p[20].CellRect), (std::array<int32_t, 4>{70, 92, 90, 112}));
    EXPECT_EQ(corners(p[kOtherCell].CellRect), (std::array<int32_t, 4>{4, 116, 68, 137}));
    EXPECT_EQ(corners(p[kOtherCell].FillRect), (std::array<int32_t, 4>{8, 120, 64, 134}));
    EXPECT_EQ(p[5].Color, 0x000000FFu); // red in the low byte
    EXPECT_EQ(p[18].Color, 0x00F0CAA6u);
    // The box: the last column's right edge and the button's bottom, each plus the margin.
    EXPECT_EQ(p[20].CellRect.right + 4, kPaletteWidth);
    EXPECT_EQ(p[kOtherCell].CellRect.bottom + 4, kPaletteHeight);
}

TEST(Palette, HitTestFindsCellsAndNothingInGapsOrMargins) {
    PaletteTable p = BuildPaletteTable();
    EXPECT_EQ(PaletteHit(p, 4, 4), 1);
    EXPECT_EQ(PaletteHit(p, 23, 23), 1);
    EXPECT_EQ(PaletteHit(p, 24, 10), 0); // right edge is outside: the gap
    EXPECT_EQ(PaletteHit(p, 25, 10), 0);
    EXPECT_EQ(PaletteHit(p, 26, 10), 2);
    EXPECT_EQ(PaletteHit(p, 10, 25), 0);
    EXPECT_EQ(PaletteHit(p, 3, 3), 0);
    EXPECT_EQ(PaletteHit(p, 89, 111), 20);
    EXPECT_EQ(PaletteHit(p, 90, 111), 0);
    EXPECT_EQ(PaletteHit(p, 4, 116), kOtherCell);
    EXPECT_EQ(PaletteHit(p, 67, 136), kOtherCell);
    EXPECT_EQ(PaletteHit(p, 68, 125), 0); // the empty strip right of "Other..."
    EXPECT_EQ(PaletteHit(p, -5, -5), 0);
    EXPECT_EQ(PaletteHit(p, std::numeric_limits<int32_t>::max(), 10), 0);

    // Over the whole box each cell is hit on exactly its own pixels and nowhere else.
    std::array<int, 22> hits{};
    for (int y = -2; y < kPaletteHeight + 2; ++y)
        for (int x = -2; x < kPaletteWidth + 2; ++x)
            ++hits[static_cast<size_t>(PaletteHit(p, x, y))];
    for (int k = kFirstColorCell; k <= kLastColorCell; ++k)
        EXPECT_EQ(hits[static_cast<size_t>(k)], 400) << k;
    EXPECT_EQ(hits[kOtherCell], 64 * 21);
}

TEST(ColorList, RowForAPressIncludingTheBottomBoundary) {
    // 3240 twips high: a sixteenth is 202.5.
    EXPECT_EQ(ListRowAt(100, 0, 1215, 3240, 3240), 0);
    EXPECT_EQ(ListRowAt(100, 202.4, 1215, 3240, 3240), 0);
    EXPECT_EQ(ListRowAt(100, 202.5, 1215, 3240, 3240), 1);
    EXPECT_EQ(ListRowAt(100, 12 * 202.5 + 1, 1215, 3240, 3240), 12);
    EXPECT_EQ(ListRowAt(100, 3225, 1215, 3240, 3240), 15);
    EXPECT_EQ(ListRowAt(100, 3240, 1215, 3240, 3240), -1); // the boundary the outside test admits
    EXPECT_EQ(ListRowAt(1215, 100, 1215, 3240, 3240), 0);  // the right edge is still inside
    EXPECT_EQ(ListRowAt(1216, 100, 1215, 3240, 3240), -1);
    EXPECT_EQ(ListRowAt(-1, 100, 1215, 3240, 3240), -1);
    EXPECT_EQ(ListRowAt(100, -0.5, 1215, 3240, 3240), -1);
    EXPECT_EQ(ListRowAt(100, 10, 1215, 3240, 0), -1);
    EXPECT_EQ(ListRowAt(std::nan(""), 10, 1215, 3240, 3240), -1);
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
    for (const auto& c : cases) {
        EXPECT_EQ(HexColor(c.color), c.hex);
        EXPECT_EQ(ColorName(c.color), c.name);
    }
    for (size_t i = 0; i < kStandardColors.size(); ++i) EXPECT_EQ(ColorName(kStandardColors[i]), kStandardColorNames[i]);
}

} // namespace
