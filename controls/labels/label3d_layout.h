// Where Label3D puts its two labels: the back one a fixed step away from the front one, diagonally.
#pragma once
#include <optional>

namespace label3d {

constexpr int kMinimumSize = 100; // twips, either way
constexpr int kShift = 15;        // twips, whatever the screen's resolution

struct Placement {
    int backLeft, backTop;   // Label1
    int frontLeft, frontTop; // Label2
};

// Phases 0 (shadow below right) to 3 (above left); any other phase leaves the labels where they are.
std::optional<Placement> PlacementFor(int phase);

} // namespace label3d
