#include "split_layout.h"

#include <cmath>

namespace split {

Arrangement Arrange(bool horizontal, float width, float height, float barWidth, float ratio) {
    const float extent = (horizontal ? height : width) - barWidth;
    const float a = extent * ratio;
    const float b = extent * (1.0f - ratio);
    if (horizontal) return {{0, 0, width, a}, {0, a + barWidth, width, b}, {0, a, width, barWidth}};
    return {{0, 0, a, height}, {a + barWidth, 0, b, height}, {a, 0, barWidth, height}};
}

float ClampRatio(float ratio) {
    if (ratio < 0.001f) return 0.001f;
    if (ratio > 0.999f) return 0.999f;
    return ratio;
}

std::optional<Drag> DragBar(float barStart, float pointer, float barWidth, float extent) {
    if (extent == 0.0f) return std::nullopt;
    const float p = barStart + pointer - barWidth;
    return Drag{p, ClampRatio(p / extent)};
}

float RatioFromPercent(uint8_t percent) { return static_cast<float>(percent / 100.0); }

std::optional<uint8_t> PercentFromRatio(float ratio) {
    // nearbyint in the default rounding mode rounds halves to even.
    const float percent = std::nearbyint(ratio * 100.0f);
    if (!(percent >= 0.0f && percent <= 255.0f)) return std::nullopt;
    return static_cast<uint8_t>(percent);
}

} // namespace split
