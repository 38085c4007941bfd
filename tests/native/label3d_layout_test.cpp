// Where Label3D's labels go for each phase.
#include "label3d_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace {
using label3d::PlacementFor;

TEST(Label3DLayout, EachPhaseShiftsTheBackLabelOneStepDiagonallyAndOtherPhasesMoveNothing) {
    // Back label's left and top, front label's left and top.
    const std::pair<int, std::array<int, 4>> cases[] = {
        {3, {0, 0, 15, 15}}, // highlight above and left
        {2, {15, 0, 0, 15}}, // above and right
        {1, {0, 15, 15, 0}}, // below and left
        {0, {15, 15, 0, 0}}, // below and right
    };
    for (const auto& [phase, expected] : cases) {
        const auto place = PlacementFor(phase);
        ASSERT_TRUE(place.has_value()) << phase;
        EXPECT_EQ((std::array{place->backLeft, place->backTop, place->frontLeft, place->frontTop}), expected)
            << phase;
    }
    for (int phase : {4, 7, 128, 255}) EXPECT_FALSE(PlacementFor(phase).has_value()) << phase;
}

} // namespace
