#include "color_geometry.h"

#include <cmath>
#include <limits>

namespace color {

int32_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double low = std::numeric_limits<int32_t>::min(), high = std::numeric_limits<int32_t>::max();
    if (value <= low) return std::numeric_limits<int32_t>::min();
    if (value >= high) return std::numeric_limits<int32_t>::max();
    // Spelt out rather than left to the floating-point rounding mode, which a host may have changed.
    const double below = std::floor(value), fraction = value - below;
    double rounded = fraction > 0.5 ? below + 1 : below;
    if (fraction == 0.5 && std::fmod(below, 2) != 0) rounded = below + 1;
    return static_cast<int32_t>(rounded);
}

PopupPlacement PlacePopup(const PixelRect& control, double popupWidth, double popupHeight, double screenWidth,
                          double screenHeight, double tx, double ty) {
    double top;
    if (screenHeight / ty < control.bottom + popupHeight / ty)
        top = (control.top - popupHeight / ty) * ty; // its bottom edge on the control's top edge
    else
        top = control.bottom * ty;

    double left;
    if (popupWidth / tx < control.right - control.left) {
        left = screenWidth / tx < control.right ? screenWidth - popupWidth : control.right * tx - popupWidth;
        if (left < 0) left = 0;
    } else {
        left = control.left < 0 ? 0 : control.left * tx;
        if (left + popupWidth > screenWidth) left = screenWidth - popupWidth;
    }
    return {RoundHalfEven(left), RoundHalfEven(top)};
}

PaletteTable BuildPaletteTable() {
    static constexpr uint32_t colors[20] = {
        0x00FFFFFF, 0x00000000, 0x00C0C0C0, 0x00808080, 0x000000FF, 0x00000080, 0x0000FFFF,
        0x00008080, 0x0000FF00, 0x00008000, 0x00FFFF00, 0x00808000, 0x00FF0000, 0x00800000,
        0x00FF00FF, 0x00800080, 0x00C0DCC0, 0x00F0CAA6, 0x00F0FBFF, 0x00A4A0A0,
    };
    PaletteTable palette{};
    int k = 1;
    for (int32_t r = 0; r < 5; ++r)
        for (int32_t c = 0; c < 4; ++c, ++k) {
            palette[k].CellRect = {4 + 22 * c, 4 + 22 * r, 24 + 22 * c, 24 + 22 * r};
            palette[k].FillRect = {6 + 22 * c, 6 + 22 * r, 22 + 22 * c, 22 + 22 * r};
            palette[k].Color = colors[k - 1];
        }
    palette[kOtherCell].CellRect = {4, 116, 68, 137};
    palette[kOtherCell].FillRect = {8, 120, 64, 134};
    return palette;
}

int PaletteHit(const PaletteTable& palette, int32_t x, int32_t y) {
    for (int k = kFirstColorCell; k <= kOtherCell; ++k)
        if (palette[k].CellRect.Contains(x, y)) return k;
    return 0;
}

const std::array<uint32_t, 16> kStandardColors = {
    0x00000000, 0x00800000, 0x00008000, 0x00808000, 0x00000080, 0x00800080, 0x00008080, 0x00C0C0C0,
    0x00808080, 0x00FF0000, 0x0000FF00, 0x00FFFF00, 0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00FFFFFF,
};

const std::array<const wchar_t*, 16> kStandardColorNames = {
    L"black", L"blue",      L"green",       L"cyan",        L"red",          L"magenta",       L"yellow (dark)",
    L"white (light grey)",  L"grey",        L"light blue",  L"light green",  L"light cyan",    L"light red",
    L"light magenta",       L"light yellow", L"bright white",
};

std::wstring HexColor(uint32_t color) {
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text = L"#";
    for (int shift : {0, 8, 16}) { // red, green, blue
        const uint32_t byte = (color >> shift) & 0xFF;
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::wstring ColorName(uint32_t color) {
    for (size_t i = 0; i < kStandardColors.size(); ++i)
        if (kStandardColors[i] == color) return kStandardColorNames[i];
    return HexColor(color);
}

int ListRowAt(double x, double y, double outerWidth, double outerHeight, double innerHeight) {
    if (!(x >= 0 && x <= outerWidth && y >= 0 && y <= outerHeight) || !(innerHeight > 0)) return -1;
    const double row = std::floor(y / (innerHeight / 16));
    // The outer box admits its own bottom edge, which lies on or below the sixteenth row's end.
    return row < 16 ? static_cast<int>(row) : -1;
}

ListRow ListRowBoxes(int i, double innerWidth, double innerHeight, double tx, double ty) {
    const double r = std::floor(innerHeight / 16);
    const double top = i * r, bottom = (i + 1) * r;
    return {{1 * tx, top + 1 * ty, innerWidth - 2 * tx, bottom - 1 * ty},
            {2 * tx, top + 2 * ty, innerWidth - 3 * tx, bottom - 2 * ty}};
}

FaceLayout ButtonFace(double width, double height, double tx, double ty, bool pressed) {
    const double d = pressed ? 1 : 0;
    auto x = [&](double n) { return n * tx; };
    auto y = [&](double n) { return n * ty; };
    auto fromRight = [&](double n) { return width - n * tx; };
    auto fromBottom = [&](double n) { return height - n * ty; };
    FaceLayout face;
    face.frame = {x(5 + d), y(4 + d), fromRight(16 - d), fromBottom(5 - d)};
    face.swatch = {x(6 + d), y(5 + d), fromRight(17 - d), fromBottom(6 - d)};
    face.shadow = {fromRight(12 - d), y(4 + d), fromRight(12 - d), fromBottom(5 - d)};
    face.highlight = {fromRight(11 - d), y(4 + d), fromRight(11 - d), fromBottom(5 - d)};
    const double c = std::floor(height / 2);
    face.arrow[0] = {fromRight(9 - d), c - (1 - d) * ty, fromRight(5 - d), c - (1 - d) * ty};
    face.arrow[1] = {fromRight(8 - d), c + d * ty, fromRight(6 - d), c + d * ty};
    face.arrow[2] = {fromRight(7 - d), c + (1 + d) * ty, fromRight(7 - d), c + (1 + d) * ty};
    return face;
}

SwatchLayout SwatchAndButton(double width, double buttonWidth, double tx) {
    return {width - buttonWidth, width - (buttonWidth + tx)};
}

} // namespace color
