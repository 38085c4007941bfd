#include "intrinsics/control.h"

#include <olectl.h>

#include <algorithm>
#include <cwctype>

namespace {
// Like a window class of ours: the label keeps the mouse while pressed, and raises DblClick.
constexpr UINT kLabelClassStyle = CS_DBLCLKS;
constexpr int kBorder = 1; // pixels of the fixed single border
} // namespace

Label::Label(Container& container, int id)
    : Control(container, id, Look{0x8000000F, 0x80000012, kLabelClassStyle, true, true}) {}

HRESULT Label::SetAlignment(short alignment) {
    if (alignment < 0 || alignment > 2) return CTL_E_INVALIDPROPERTYVALUE;
    alignment_ = alignment;
    Invalidate();
    return S_OK;
}

HRESULT Label::SetBackStyle(short backStyle) {
    if (backStyle < 0 || backStyle > 1) return CTL_E_INVALIDPROPERTYVALUE;
    backStyle_ = backStyle;
    Invalidate();
    return S_OK;
}

HRESULT Label::SetBorderStyle(short borderStyle) {
    if (borderStyle < 0 || borderStyle > 1) return CTL_E_INVALIDPROPERTYVALUE;
    borderStyle_ = borderStyle;
    FitToText();
    Invalidate();
    return S_OK;
}

void Label::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    FitToText();
    Invalidate();
}

void Label::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitToText();
    Invalidate();
}

void Label::SetUseMnemonic(bool useMnemonic) {
    useMnemonic_ = useMnemonic;
    FitToText();
    Invalidate();
}

wchar_t Label::AccessKey() const {
    if (!useMnemonic_) return 0;
    const std::wstring text = Caption();
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'&') {
            if (text[i + 1] != L'&') return static_cast<wchar_t>(towlower(text[i + 1]));
            ++i; // "&&" is an ampersand
        }
    return 0;
}

UINT Label::TextFormat() const {
    static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT format = align[alignment_] | DT_EXPANDTABS;
    if (!(autoSize_ && !wordWrap_)) format |= DT_WORDBREAK;
    if (!useMnemonic_) format |= DT_NOPREFIX;
    return format;
}

void Label::OnFontChanged() {
    FitToText();
    Invalidate();
}

void Label::OnCaptionChanged() {
    FitToText();
}

void Label::FitToText() {
    if (!autoSize_) return;
    const int border = borderStyle_ ? 2 * kBorder : 0;
    const RECT place = Bounds();
    const std::wstring text = Caption();
    HDC dc = GetDC(nullptr);
    if (!dc) return;
    HGDIOBJ oldFont = SelectObject(dc, FontHandle());
    RECT needed{0, 0, wordWrap_ ? std::max<LONG>(place.right - place.left - border, 1) : 0, 0};
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        needed.bottom = metrics.tmHeight;
    } else {
        DrawTextW(dc, text.c_str(), -1, &needed, TextFormat() | DT_CALCRECT);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    const int width = wordWrap_ ? place.right - place.left : needed.right + border;
    SetPixelSize(width, needed.bottom + border);
}

void Label::Paint(HDC dc) {
    const RECT place = Bounds();
    RECT area{0, 0, place.right - place.left, place.bottom - place.top};
    if (backStyle_ == 1) {
        SetDCBrushColor(dc, ResolveColor(BackColor()));
        ::FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    if (borderStyle_ == 1) {
        FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&area, -kBorder, -kBorder);
    }
    const std::wstring text = Caption();
    HGDIOBJ oldFont = SelectObject(dc, FontHandle());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (Enabled()) {
        SetTextColor(dc, ResolveColor(ForeColor()));
        DrawTextW(dc, text.c_str(), -1, &area, TextFormat());
    } else {
        // Disabled: embossed grey, as the system draws disabled text.
        RECT shifted = area;
        OffsetRect(&shifted, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), -1, &shifted, TextFormat());
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), -1, &area, TextFormat());
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}
