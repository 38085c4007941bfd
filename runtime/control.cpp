#include "control.h"

#include "screen.h"

namespace {
// Marks our own children, so a foreign child window is never taken for a Control.
constexpr wchar_t kControlProperty[] = L"Runtime.Control";

Control* ControlOf(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProperty)) : nullptr;
}
} // namespace

Control::Control(Container& container, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle) {
    hwnd_.reset(CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                container.ContainerWindow(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr));
    if (!hwnd_) return;
    SetPropW(hwnd_.get(), kControlProperty, this);
    SetFont(container.DefaultFont());
}

Control::~Control() {
    if (IsWindow(hWnd())) RemovePropW(hWnd(), kControlProperty);
}

void Control::Move(int left, int top, int width, int height) {
    MoveWindow(hWnd(), Screen::TwipsToPixelsX(left), Screen::TwipsToPixelsY(top), Screen::TwipsToPixelsX(width),
               Screen::TwipsToPixelsY(height), TRUE);
}

bool Control::Visible() const { return (GetWindowLongW(hWnd(), GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool visible) { ShowWindow(hWnd(), visible ? SW_SHOWNA : SW_HIDE); }
bool Control::Enabled() const { return IsWindowEnabled(hWnd()) != FALSE; }
void Control::SetEnabled(bool enabled) { EnableWindow(hWnd(), enabled); }

std::wstring Control::Caption() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hWnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hWnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::SetCaption(std::wstring_view caption) { SetWindowTextW(hWnd(), std::wstring(caption).c_str()); }

void Control::SetFont(SharedFont font) {
    font_ = std::move(font);
    SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_->handle() : nullptr), TRUE);
}

void Control::SetBackColor(OleColor color) {
    backColor_ = color;
    backBrush_.reset();
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void Control::SetForeColor(OleColor color) {
    foreColor_ = color;
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void Control::SetFocus() { ::SetFocus(hWnd()); }

HBRUSH Control::PrepareColors(HDC dc) {
    if (!backBrush_) backBrush_.reset(CreateSolidBrush(ResolveColor(backColor_)));
    SetTextColor(dc, ResolveColor(foreColor_));
    SetBkColor(dc, ResolveColor(backColor_));
    return backBrush_.get();
}

bool Control::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Control* control = ControlOf(reinterpret_cast<HWND>(lParam));
    if (!control) return false;
    switch (message) {
    case WM_COMMAND:
        control->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
        result = reinterpret_cast<LRESULT>(control->PrepareColors(reinterpret_cast<HDC>(wParam)));
        return true;
    default:
        return false;
    }
}

Label::Label(Container& container, int id) : Control(container, id, L"STATIC", SS_LEFT | WS_GROUP) {}

CommandButton::CommandButton(Container& container, int id)
    : Control(container, id, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP) {}

void CommandButton::OnCommand(WORD notification) {
    if (notification == BN_CLICKED && Click) Click();
}

namespace {
bool IsOptionButton(HWND hwnd) {
    return hwnd && ControlOf(hwnd) && (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}
} // namespace

OptionButton::OptionButton(Container& container, int id) : Control(container, id, L"BUTTON", BS_AUTORADIOBUTTON) {
    // The first of a run of option buttons starts the group and is its one tab stop.
    if (!IsOptionButton(GetWindow(hWnd(), GW_HWNDPREV)))
        SetWindowLongW(hWnd(), GWL_STYLE, GetWindowLongW(hWnd(), GWL_STYLE) | WS_GROUP | WS_TABSTOP);
}

bool OptionButton::Value() const { return SendMessageW(hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void OptionButton::SetValue(bool value) { SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); }

Image::Image(Container& container, int id) : Control(container, id, L"STATIC", SS_BITMAP | WS_GROUP) {}

// The picture must outlive the window that shows it.
Image::~Image() { Destroy(); }

void Image::SetPicture(int bitmapResource) {
    picture_.reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapResource),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    SendMessageW(hWnd(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
}

void Image::SetBorder(bool fixedSingle) {
    LONG_PTR ex = GetWindowLongPtrW(hWnd(), GWL_EXSTYLE);
    ex = fixedSingle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(hWnd(), GWL_EXSTYLE, ex);
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}
