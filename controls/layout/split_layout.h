// The splitter's arithmetic, in twips and single precision: where the two controls and the bar go, what
// a drag of the bar makes of the split, and the split as a whole percentage.
#pragma once
#include <cstdint>
#include <optional>

namespace split {

struct Box {
    float left, top, width, height;
};

struct Arrangement {
    Box first, second, bar;
};

// The first control gets (extent - bar) x ratio, the second the rest; horizontal puts them one above the
// other. Nothing is clamped: sizes may come out negative, and moving to them then fails.
Arrangement Arrange(bool horizontal, float width, float height, float barWidth, float ratio);

struct Drag {
    float barStart; // the bar's new left (or top)
    float ratio;    // clamped to 0.001 .. 0.999
};

// The bar dragged with the pointer at `pointer` in the bar's own coordinates; the pointer stays on the
// bar's far edge. None for a splitter of no extent (the split cannot be measured against it).
std::optional<Drag> DragBar(float barStart, float pointer, float barWidth, float extent);

float ClampRatio(float ratio);
float RatioFromPercent(uint8_t percent);
// The ratio x 100 to the nearest whole number, ties to even; none when that is outside 0 .. 255.
std::optional<uint8_t> PercentFromRatio(float ratio);

} // namespace split
