#include "font.h"

#include <cmath>

Font::Font(const FontSpec& spec) : spec_(spec) {
    HDC dc = GetDC(nullptr);
    int dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);

    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(spec.points * dpiY / 72.0));
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = spec.italic;
    lf.lfUnderline = spec.underline;
    lf.lfStrikeOut = spec.strikethrough;
    lf.lfCharSet = spec.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(lf.lfFaceName, spec.name.c_str(), LF_FACESIZE);
    font_.reset(CreateFontIndirectW(&lf));
}

SharedFont MakeFont(const FontSpec& spec) { return std::make_shared<const Font>(spec); }
