// Where Label3D's labels go for each phase.
#include "label3d_layout.h"

#include <gtest/gtest.h>

namespace {
using label3d::PlacementFor;

TEST(Label3DLayout, EachPhaseShiftsTheBackLabelOneStepDiagonallyFromTheFront) {
    struct Case {
        int phase;
        int backLeft, backTop, frontLeft, frontTop;
    };
    const Case cases[] = {
        {3, 0, 0, 15, 15}, // highlight above and left
        {2, 15, 0, 0, 15}, // above and right
        {1, 0, 15, 15, 0}, // below and left
        {0, 15, 15, 0, 0}, // below and right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        const auto place = PlacementFor(c.phase);
        ASSERT_TRUE(place.has_value());
        EXPECT_EQ(place->backLeft, c.backLeft);
        EXPECT_EQ(place->backTop, c.backTop);
        EXPECT_EQ(place->frontLeft, c.frontLeft);
        EXPECT_EQ(place->frontTop, c.frontTop);
    }
}

TEST(Label3DLayout, PhasesBeyondTheFourLeaveTheLabelsWhereTheyAre) {
    for (int phase : {4, 7, 128, 255}) EXPECT_FALSE(PlacementFor(phase).has_value()) << phase;
}

} // namespace
