// The splitter's arithmetic: layouts of both orientations, the drag, the clamps and the percentage.
#include "split_layout.h"

#include <gtest/gtest.h>

namespace {
using namespace split;

void ExpectBox(const Box& box, float left, float top, float width, float height) {
    EXPECT_FLOAT_EQ(box.left, left);
    EXPECT_FLOAT_EQ(box.top, top);
    EXPECT_FLOAT_EQ(box.width, width);
    EXPECT_FLOAT_EQ(box.height, height);
}

TEST(SplitLayout, VerticalSplitSharesTheWidthLessTheBar) {
    const Arrangement a = Arrange(false, 3000, 1500, 80, 0.5f);
    ExpectBox(a.first, 0, 0, 1460, 1500);
    ExpectBox(a.bar, 1460, 0, 80, 1500);
    ExpectBox(a.second, 1540, 0, 1460, 1500);
}

TEST(SplitLayout, HorizontalSplitSharesTheHeightLessTheBar) {
    const Arrangement a = Arrange(true, 2000, 1080, 80, 0.25f);
    ExpectBox(a.first, 0, 0, 2000, 250);
    ExpectBox(a.bar, 0, 250, 2000, 80);
    ExpectBox(a.second, 0, 330, 2000, 750);
}

TEST(SplitLayout, ImpossibleSizesComeOutNegativeRatherThanClamped) {
    EXPECT_LT(Arrange(false, 3000, 1500, 80, 1.2f).second.width, 0) << "a percentage above 100";
    EXPECT_LT(Arrange(true, 3000, 50, 80, 0.5f).first.height, 0) << "thinner than the bar";
}

TEST(SplitLayout, ADragMeasuresTheBarsNewEdgeAgainstTheWholeExtent) {
    // The bar at 1460 of 3000, the pointer 630 twips left of the bar's far edge: its left edge goes to 750.
    const auto drag = DragBar(1460, -630, 80, 3000);
    ASSERT_TRUE(drag);
    EXPECT_FLOAT_EQ(drag->barStart, 750);
    EXPECT_FLOAT_EQ(drag->ratio, 0.25f);
    EXPECT_EQ(PercentFromRatio(drag->ratio), 25);
    // The release lays out against the extent less the bar, so the first control ends a little short.
    EXPECT_FLOAT_EQ(Arrange(false, 3000, 1500, 80, drag->ratio).first.width, 730);
}

TEST(SplitLayout, TheRatioIsClampedButTheBarIsNot) {
    const auto before = DragBar(1460, -3000, 80, 3000);
    ASSERT_TRUE(before);
    EXPECT_FLOAT_EQ(before->barStart, -1620);
    EXPECT_FLOAT_EQ(before->ratio, 0.001f);
    EXPECT_EQ(PercentFromRatio(before->ratio), 0);
    const auto past = DragBar(1460, 5000, 80, 3000);
    ASSERT_TRUE(past);
    EXPECT_FLOAT_EQ(past->barStart, 6380);
    EXPECT_FLOAT_EQ(past->ratio, 0.999f);
    EXPECT_EQ(PercentFromRatio(past->ratio), 100);
    EXPECT_FLOAT_EQ(ClampRatio(0.5f), 0.5f);
}

TEST(SplitLayout, ASplitterOfNoExtentCannotBeDragged) {
    EXPECT_FALSE(DragBar(0, 10, 80, 0).has_value());
}

TEST(SplitLayout, PercentRoundsHalvesToEvenAndPutsAreNotClamped) {
    EXPECT_EQ(PercentFromRatio(0.125f), 12);
    EXPECT_EQ(PercentFromRatio(0.375f), 38);
    EXPECT_EQ(PercentFromRatio(0.625f), 62);
    EXPECT_EQ(PercentFromRatio(0.126f), 13);
    for (int percent : {0, 1, 29, 50, 99, 100, 101, 254, 255})
        EXPECT_EQ(PercentFromRatio(RatioFromPercent(static_cast<uint8_t>(percent))), percent);
    EXPECT_FLOAT_EQ(RatioFromPercent(255), 2.55f);
    EXPECT_FALSE(PercentFromRatio(2.56f).has_value());
    EXPECT_FALSE(PercentFromRatio(-0.01f).has_value());
}

} // namespace
