// The arithmetic of the colour controls, without a window: where a drop-down opens, the twenty-colour
// palette and what a point hits in it, the sixteen-row list, the button face and the swatch-and-button
// layout. Twips and pixels are named in each signature; nothing here rounds unless it says so.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace color {

// Left and top inclusive, right and bottom exclusive.
struct PixelRect {
    int32_t left, top, right, bottom;
    bool Contains(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// A mouse coordinate as a whole number: nearest, halves to even, out-of-range values held at the ends.
int32_t RoundHalfEven(double value);

// ---- the floating drop-down

struct PopupPlacement {
    int32_t left, top; // screen twips
};

// control: the control's window rectangle in screen pixels; the popup's and the screen's sizes in twips;
// tx, ty: twips per pixel. Opens below the control, or above it when it would pass the screen's bottom;
// right-aligned with a wider control, left-aligned with a narrower one, held inside the screen's width.
PopupPlacement PlacePopup(const PixelRect& control, double popupWidth, double popupHeight, double screenWidth,
                          double screenHeight, double tx, double ty);

// ---- the twenty-colour palette

struct PaletteCell {
    uint32_t Color;     // OLE_COLOR, 0x00BBGGRR
    PixelRect CellRect; // the cell in the popup's client pixels
    PixelRect FillRect; // the colour inside it, or the caption's place on "Other..."
};

constexpr int kFirstColorCell = 1, kLastColorCell = 20, kOtherCell = 21;
constexpr int kPaletteWidth = 94, kPaletteHeight = 141; // pixels
using PaletteTable = std::array<PaletteCell, 22>;       // entry 0 unused

PaletteTable BuildPaletteTable();
// The first entry (1 to 21) whose cell holds the point; 0 on a margin, in a gap or outside.
int PaletteHit(const PaletteTable& palette, int32_t x, int32_t y);
inline bool IsColorCell(int entry) {
    return entry >= kFirstColorCell && entry <= kLastColorCell;
}

// ---- the sixteen-colour list

extern const std::array<uint32_t, 16> kStandardColors;
extern const std::array<const wchar_t*, 16> kStandardColorNames; // "black", "blue", ... "bright white"

// ---- colours as a screen reader reads them (0x00BBGGRR in)

std::wstring HexColor(uint32_t color); // "#RRGGBB"
// The standard name of one of the sixteen colours, else its "#RRGGBB".
std::wstring ColorName(uint32_t color);

// The row a press chooses, from the press position and the list's outer and inner sizes (all twips);
// -1 when the press lies outside the list, which includes its bottom boundary.
int ListRowAt(double x, double y, double outerWidth, double outerHeight, double innerHeight);

struct TwipBox {
    double x1, y1, x2, y2; // both corners included
};
struct ListRow {
    TwipBox outline, fill;
};
// Row i of the list painted in a box of innerWidth by innerHeight twips.
ListRow ListRowBoxes(int i, double innerWidth, double innerHeight, double tx, double ty);

// ---- ColorButton's face

struct FaceLayout {
    TwipBox frame;             // black outline
    TwipBox swatch;            // filled with the colour
    TwipBox shadow, highlight; // the two separator lines
    TwipBox arrow[3];          // the three rows of the arrow, five, three and one pixel wide
};
// W, H: the control's size in twips; pressed shifts everything one pixel right and down.
FaceLayout ButtonFace(double width, double height, double tx, double ty, bool pressed);

// ---- a swatch with a button at its right end, one pixel apart

struct SwatchLayout {
    double buttonLeft, swatchWidth; // twips
};
SwatchLayout SwatchAndButton(double width, double buttonWidth, double tx);

} // namespace color
