#include "label3d_layout.h"

namespace label3d {

std::optional<Placement> PlacementFor(int phase) {
    switch (phase) {
    case 3: return Placement{0, 0, kShift, kShift};
    case 2: return Placement{kShift, 0, 0, kShift};
    case 1: return Placement{0, kShift, kShift, 0};
    case 0: return Placement{kShift, kShift, 0, 0};
    default: return std::nullopt;
    }
}

} // namespace label3d
