#include "tray_notify.h"

#include <cmath>
#include <random>

namespace tray {

std::u16string Trim(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    const auto last = text.find_last_not_of(u' ');
    return std::u16string(text.substr(first, last - first + 1));
}

std::array<char16_t, kTipChars> TipField(std::u16string_view tip) {
    std::array<char16_t, kTipChars> field;
    field.fill(u' ');
    const size_t kept = tip.size() < size_t(kTipChars - 1) ? tip.size() : size_t(kTipChars - 1);
    for (size_t i = 0; i < kept; ++i) field[i] = tip[i];
    field[kept] = u'\0';
    return field;
}

float NextRandom() {
    static std::mt19937 generator(0x7A11D5u);
    // 24 bits fill a float's mantissa exactly, so the value never rounds up to 1.
    return static_cast<float>(generator() >> 8) * (1.0f / 16777216.0f);
}

uint16_t IdentifierFrom(float random) {
    const double id = std::floor(static_cast<double>(random) * 65535.0 + 1.0);
    if (id < 1.0) return 1;
    if (id > 65535.0) return 65535;
    return static_cast<uint16_t>(id);
}

MouseAction DecodeMouse(float x, float twipsPerPixelX) {
    const float m = x / twipsPerPixelX;
    if (m == 512.0f) return {Action::MouseMove, 0};
    if (m == 513.0f) return {Action::MouseDown, 1};
    if (m == 514.0f) return {Action::MouseUp, 1};
    if (m == 515.0f) return {Action::DblClick, 0};
    if (m == 516.0f) return {Action::MouseDown, 2};
    if (m == 517.0f) return {Action::MouseUp, 2};
    if (m == 518.0f) return {Action::DblClick, 0};
    return {Action::None, 0};
}

} // namespace tray
