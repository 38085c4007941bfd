#include "control.h"

#include <olectl.h>

#include <algorithm>

namespace {
constexpr UINT kLabelClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
constexpr int kBorder = 1; // pixels of the fixed single border
} // namespace

Label::Label(Container& container, int id)
    : Control(container, id, L"RuntimeLabel", WS_GROUP, 0,
              Look{0x8000000F, 0x80000012, kLabelClassStyle, true, true}) {}

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
    // The dialog manager reads the same bit when it looks for a label's access key.
    if (hWnd()) {
        LONG style = GetWindowLongW(hWnd(), GWL_STYLE);
        SetWindowLongW(hWnd(), GWL_STYLE, useMnemonic ? (style & ~SS_NOPREFIX) : (style | SS_NOPREFIX));
    }
    FitToText();
    Invalidate();
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

void Label::FitToText() {
    if (!autoSize_ || !hWnd()) return;
    const int border = borderStyle_ ? 2 * kBorder : 0;
    RECT client;
    GetClientRect(hWnd(), &client);
    std::wstring text = Caption();
    HDC dc = GetDC(hWnd());
    if (!dc) return;
    HGDIOBJ oldFont = SelectObject(dc, FontHandle());
    RECT needed{0, 0, wordWrap_ ? std::max<LONG>(client.right - border, 1) : 0, 0};
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        needed.bottom = metrics.tmHeight;
    } else {
        DrawTextW(dc, text.c_str(), -1, &needed, TextFormat() | DT_CALCRECT);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(hWnd(), dc);
    const int width = wordWrap_ ? client.right : needed.right + border;
    SetWindowPos(hWnd(), nullptr, 0, 0, width, needed.bottom + border,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::Paint(HDC dc, bool showThrough) {
    RECT area;
    GetClientRect(hWnd(), &area);
    if (backStyle_ == 1) {
        SetDCBrushColor(dc, ResolveColor(BackColor()));
        ::FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    } else if (showThrough) {
        PaintParentBackground(hWnd(), dc);
        PaintSiblingsBehind(dc);
    }
    if (borderStyle_ == 1) {
        FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&area, -kBorder, -kBorder);
    }
    std::wstring text = Caption();
    HGDIOBJ oldFont = SelectObject(dc, FontHandle());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    if (IsWindowEnabled(hWnd())) {
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

LRESULT Label::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hWnd(), &ps);
        if (dc) Paint(dc, true);
        EndPaint(hWnd(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam), (lParam & PRF_ERASEBKGND) != 0);
        return 0;
    case WM_ERASEBKGND:
        return 1; // all drawing happens in Paint
    case WM_SETTEXT: {
        LRESULT result = CallBase(message, wParam, lParam);
        FitToText();
        Invalidate();
        return result;
    }
    case WM_ENABLE:
        Invalidate();
        break;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    }
    return Control::HandleMessage(message, wParam, lParam);
}
