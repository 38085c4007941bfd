// The splitter's arithmetic: layouts of both orientations, the drag, the clamps and the percentage.
#include "split_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace {
using namespace split;

using Boxes = std::array<std::array<float, 4>, 3>;
Boxes Of(const Arrangement& a) {
    auto of = [](const Box& box) { return std::array{box.left, box.top, box.width, box.height}; };
    return {of(a.first), of(a.bar), of(a.second)};
}

TEST(SplitLayout, EachOrientationSharesItsExtentLessTheBarAndNothingIsClamped) {
    EXPECT_EQ(Of(Arrange(false, 3000, 1500, 80, 0.5f)),
              (Boxes{{{0, 0, 1460, 1500}, {1460, 0, 80, 1500}, {1540, 0, 1460, 1500}}}));
    EXPECT_EQ(Of(Arrange(true, 2000, 1080, 80, 0.25f)),
              (Boxes{{{0, 0, 2000, 250}, {0, 250, 2000, 80}, {0, 330, 2000, 750}}}));
    // Impossible sizes come out negative rather than clamped.
    EXPECT_LT(Arrange(false, 3000, 1500, 80, 1.2f).second.width, 0) << "a percentage above 100";
    EXPECT_LT(Arrange(true, 3000, 50, 80, 0.5f).first.height, 0) << "thinner than the bar";
}

TEST(SplitLayout, ADragMeasuresTheBarsNewEdgeAgainstTheWholeExtentAndClampsTheRatioButNotTheBar) {
    const struct {
        float pointer, barStart, ratio;
        int percent;
    } cases[] = {
        // The bar at 1460 of 3000, the pointer 630 twips left of the bar's far edge: its left edge goes to
        // 750.
        {-630, 750, 0.25f, 25},
        {-3000, -1620, 0.001f, 0},
        {5000, 6380, 0.999f, 100},
    };
    for (const auto& c : cases) {
        const auto drag = DragBar(1460, c.pointer, 80, 3000);
        ASSERT_TRUE(drag) << c.pointer;
        EXPECT_FLOAT_EQ(drag->barStart, c.barStart) << c.pointer;
        EXPECT_FLOAT_EQ(drag->ratio, c.ratio) << c.pointer;
        EXPECT_EQ(PercentFromRatio(drag->ratio), c.percent) << c.pointer;
    }
    EXPECT_FALSE(DragBar(0, 10, 80, 0).has_value()) << "a splitter of no extent";
}

TEST(SplitLayout, PercentRoundsHalvesToEvenAndPutsAreNotClamped) {
    for (auto [ratio, percent] : {std::pair{0.125f, 12}, {0.375f, 38}, {0.625f, 62}, {0.126f, 13}})
        EXPECT_EQ(PercentFromRatio(ratio), percent) << ratio;
    for (int percent : {0, 1, 29, 50, 99, 100, 101, 254, 255})
        EXPECT_EQ(PercentFromRatio(RatioFromPercent(static_cast<uint8_t>(percent))), percent);
    EXPECT_FLOAT_EQ(RatioFromPercent(255), 2.55f);
    EXPECT_FALSE(PercentFromRatio(2.56f).has_value());
    EXPECT_FALSE(PercentFromRatio(-0.01f).has_value());
}

} // namespace
