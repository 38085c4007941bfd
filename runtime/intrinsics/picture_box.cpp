#include "intrinsics/control.h"

#include "services/screen.h"

#include <olectl.h>

#include <algorithm>
#include <cmath>

namespace {
// A private DC: drawing outside Paint (on a mouse press, say) needs no DC to be released.
constexpr UINT kPictureBoxClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_OWNDC;

class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};
} // namespace

PictureBox::PictureBox(Container& container, int id)
    : Control(container, id, L"RuntimePictureBox", WS_TABSTOP, WS_EX_CLIENTEDGE,
              Look{0x8000000F, 0x80000012, kPictureBoxClassStyle, true, true}) {}

// The window goes first: its painting reads the picture.
PictureBox::~PictureBox() {
    Destroy();
}

HDC PictureBox::hDC() const {
    if (paintDc_) return paintDc_;
    return hWnd() ? GetDC(hWnd()) : nullptr;
}

short PictureBox::BorderStyle() const {
    return EdgeStyle();
}
HRESULT PictureBox::SetBorderStyle(short borderStyle) {
    return SetEdgeStyle(borderStyle);
}

HRESULT PictureBox::SetScaleMode(short scaleMode) {
    if (scaleMode != 1 && scaleMode != 3) return CTL_E_INVALIDPROPERTYVALUE;
    scaleMode_ = scaleMode;
    return S_OK;
}

float PictureBox::ScaleX(int pixels) const {
    return scaleMode_ == 3 ? float(pixels) : Control::ScaleX(pixels);
}
float PictureBox::ScaleY(int pixels) const {
    return scaleMode_ == 3 ? float(pixels) : Control::ScaleY(pixels);
}

int PictureBox::ToPixelsX(float x) const {
    return static_cast<int>(std::lround(scaleMode_ == 3 ? x : x / Screen::TwipsPerPixelX()));
}
int PictureBox::ToPixelsY(float y) const {
    return static_cast<int>(std::lround(scaleMode_ == 3 ? y : y / Screen::TwipsPerPixelY()));
}

float PictureBox::ScaleWidth() const {
    RECT client{};
    if (hWnd()) GetClientRect(hWnd(), &client);
    return ScaleX(client.right);
}

float PictureBox::ScaleHeight() const {
    RECT client{};
    if (hWnd()) GetClientRect(hWnd(), &client);
    return ScaleY(client.bottom);
}

void PictureBox::SetPicture(Microsoft::WRL::ComPtr<IPicture> picture) {
    picture_ = std::move(picture);
    Invalidate();
}

void PictureBox::PaintBackground(HDC dc) {
    RECT client;
    GetClientRect(hWnd(), &client);
    SetDCBrushColor(dc, ResolveColor(BackColor()));
    ::FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    DrawPicture(dc, picture_.Get(), 0, 0);
}

void PictureBox::Cls() {
    if (HDC dc = hDC()) PaintBackground(dc);
}

void PictureBox::Line(float x1, float y1, float x2, float y2, OleColor color) {
    HDC dc = hDC();
    if (!dc) return;
    SelectedObject pen(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, ResolveColor(color));
    MoveToEx(dc, ToPixelsX(x1), ToPixelsY(y1), nullptr);
    LineTo(dc, ToPixelsX(x2), ToPixelsY(y2));
    SetPixelV(dc, ToPixelsX(x2), ToPixelsY(y2), ResolveColor(color)); // the end point too
}

void PictureBox::Box(float x1, float y1, float x2, float y2, OleColor color) {
    HDC dc = hDC();
    if (!dc) return;
    SelectedObject pen(dc, GetStockObject(DC_PEN));
    SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    SetDCPenColor(dc, ResolveColor(color));
    int left = ToPixelsX(x1), top = ToPixelsY(y1), right = ToPixelsX(x2), bottom = ToPixelsY(y2);
    ::Rectangle(dc, std::min(left, right), std::min(top, bottom), std::max(left, right) + 1,
                std::max(top, bottom) + 1);
}

void PictureBox::FillRect(float x1, float y1, float x2, float y2, OleColor color) {
    HDC dc = hDC();
    if (!dc) return;
    int left = ToPixelsX(x1), top = ToPixelsY(y1), right = ToPixelsX(x2), bottom = ToPixelsY(y2);
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right) + 1,
           std::max(top, bottom) + 1};
    SetDCBrushColor(dc, ResolveColor(color));
    ::FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void PictureBox::PrintText(float x, float y, std::wstring_view text) {
    HDC dc = hDC();
    if (!dc) return;
    SelectedObject font(dc, FontHandle());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(ForeColor()));
    TextOutW(dc, ToPixelsX(x), ToPixelsY(y), text.data(), static_cast<int>(text.size()));
    SetBkMode(dc, oldMode);
}

namespace {
SIZE TextExtent(HFONT hfont, std::wstring_view text) {
    SIZE size{0, 0};
    HDC dc = GetDC(nullptr);
    if (!dc) return size;
    HGDIOBJ old = SelectObject(dc, hfont);
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        size.cy = metrics.tmHeight;
    } else {
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}
} // namespace

float PictureBox::TextWidth(std::wstring_view text) const {
    return ScaleX(TextExtent(FontHandle(), text).cx);
}
float PictureBox::TextHeight(std::wstring_view text) const {
    return ScaleY(TextExtent(FontHandle(), text).cy);
}

bool PictureBox::Floating() const {
    return hWnd() && GetAncestor(hWnd(), GA_PARENT) == GetDesktopWindow();
}

void PictureBox::Float() {
    HWND hwnd = hWnd();
    if (!hwnd || Floating()) return;
    RECT place;
    GetWindowRect(hwnd, &place);
    // A top-level window reads its id as a menu handle.
    SetWindowLongPtrW(hwnd, GWLP_ID, 0);
    SetParent(hwnd, nullptr);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    SetWindowLongW(hwnd, GWL_STYLE, (style & ~(WS_CHILD | WS_TABSTOP)) | WS_POPUP);
    if (HWND owner = GetAncestor(container().ContainerWindow(), GA_ROOT))
        SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
    SetWindowLongW(hwnd, GWL_EXSTYLE, ex | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
    SetWindowPos(hwnd, HWND_TOPMOST, place.left, place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void PictureBox::MoveScreen(int x, int y, int width, int height) {
    if (hWnd()) SetWindowPos(hWnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        paintDc_ = BeginPaint(hWnd(), &ps);
        Raise(Paint);
        EndPaint(hWnd(), &ps);
        paintDc_ = nullptr;
        return 0;
    }
    case WM_PRINTCLIENT:
        paintDc_ = reinterpret_cast<HDC>(wParam);
        PaintBackground(paintDc_);
        Raise(Paint);
        paintDc_ = nullptr;
        return 0;
    case WM_SIZE: {
        LRESULT result = Control::HandleMessage(message, wParam, lParam);
        Raise(Resize);
        return result;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_MOUSEACTIVATE:
        if (Floating()) return MA_NOACTIVATE; // a drop-down never takes the focus from its control
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (TabStop() && !Floating() && ReceivesInput() && GetFocus() != hWnd()) ::SetFocus(hWnd());
        break;
    }
    return Control::HandleMessage(message, wParam, lParam);
}
