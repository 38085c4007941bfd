// The control's window: made where it is first needed, parked or dropped when the control is closed, and
// its messages.
#include "control/user_control.h"

#include "services/himetric.h"
#include "services/screen.h"

#include <atomic>
#include <utility>

namespace {

constexpr wchar_t kControlClass[] = L"UserControlWindow";
constexpr wchar_t kParkingClass[] = L"UserControlParking";

std::atomic<bool> classesRegistered{false};
thread_local HWND parking = nullptr;

// The window classes and the thread's parking window stay between controls (each costs about as much as a
// window of its own); the module lets them go when it may be unloaded.
void ReleaseWindows() {
    if (parking) DestroyWindow(std::exchange(parking, nullptr));
    if (classesRegistered.exchange(false)) {
        UnregisterClassW(kControlClass, Module::Instance());
        UnregisterClassW(kParkingClass, Module::Instance());
    }
}

bool AcquireWindows(WNDPROC proc) {
    if (!classesRegistered.exchange(true)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = Module::Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kControlClass;
        RegisterClassExW(&wc);
        wc.style = 0;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = kParkingClass;
        RegisterClassExW(&wc);
        Module::AddCache(&ReleaseWindows);
    }
    if (!parking)
        parking = CreateWindowExW(WS_EX_TOOLWINDOW, kParkingClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  Module::Instance(), nullptr);
    return parking != nullptr;
}

} // namespace

// Made where it is first needed: in the container that activates the control, or parked for a client
// that needs it sooner (a script, a control that draws on it before activation).
HWND UserControl::MakeWindow(HWND parent, const RECT* place) const {
    if (hwnd_ || !AcquireWindows(&UserControl::WindowProc)) return hwnd_.get();
    const int width = HimetricToPixels(extent_.cx, Screen::DpiX()), height = HimetricToPixels(extent_.cy, Screen::DpiY());
    const RECT at = place ? *place : RECT{0, 0, width, height};
    hwnd_.reset(CreateWindowExW(WS_EX_CONTROLPARENT | (borderStyle_ ? WS_EX_CLIENTEDGE : 0), kControlClass, L"",
                                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP |
                                    (enabled_ ? 0 : WS_DISABLED) | (parent ? WS_VISIBLE : 0),
                                at.left, at.top, at.right - at.left, at.bottom - at.top, parent ? parent : parking,
                                nullptr, Module::Instance(), nullptr));
    auto* self = const_cast<UserControl*>(this);
    if (hwnd_ && attached_) {
        self->ConnectWindow();
        // Its first size reached no control: the layout and the extent follow it now.
        if (at.right - at.left != width || at.bottom - at.top != height) SendMessageW(hwnd_.get(), WM_SIZE, 0, 0);
    }
    self->WindowMade();
    return hwnd_.get();
}

// The window reaches the control only once the control is whole: a message during construction would
// find the object half made.
void UserControl::AttachWindow() {
    attached_ = true;
    if (hwnd_) ConnectWindow();
}

void UserControl::ConnectWindow() {
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    BindAccessibleWindow(hwnd_.get()); // child windows that are part of the face may answer with the control
}

STDMETHODIMP UserControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = hWnd();
    return *window ? S_OK : E_FAIL;
}

HRESULT UserControl::Park() {
    if (!hwnd_) return S_OK;
    if (GetFocus() == hWnd() || IsChild(hWnd(), GetFocus())) SetFocus(nullptr);
    ShowWindow(hWnd(), SW_HIDE);
    SetParent(hWnd(), parking);
    return S_OK;
}

// A closed control's window goes rather than moving to the parking window, when nothing but the control
// holds it (no child windows, no one else's procedure on it): it is made again from the control's own
// state if it is ever needed, and a closed control is mostly released next.
void UserControl::DropWindow() {
    HWND window = hwnd_.get();
    if (!window || ::GetWindow(window, GW_CHILD) ||
        GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&UserControl::WindowProc))
        return;
    if (GetFocus() == window) SetFocus(nullptr);
    WindowGoing();
    hwnd_.reset();
}

LRESULT CALLBACK UserControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* control = reinterpret_cast<UserControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    try {
        return control->HandleMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT UserControl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteWindowlessMouse(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintTo(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted with the rest in WM_PAINT
    case WM_SIZE: {
        int dpiX = Screen::DpiX(), dpiY = Screen::DpiY();
        // The extent includes the border, so it is the window's size rather than the client's.
        RECT window;
        GetWindowRect(hwnd, &window);
        LONG w = window.right - window.left, h = window.bottom - window.top;
        // Keep the exact extent a container gave while the pixels agree with it.
        if (HimetricToPixels(extent_.cx, dpiX) != w) extent_.cx = PixelsToHimetric(w, dpiX);
        if (HimetricToPixels(extent_.cy, dpiY) != h) extent_.cy = PixelsToHimetric(h, dpiY);
        ComPtr<IUnknown> keepAlive(Identity());
        Resize();
        return 0;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE:
        MouseEvent(message, wParam, lParam);
        return 0;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CHAR:
        if (KeyEvent(message, wParam, lParam)) return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: case WM_KILLFOCUS:
        PostMessageW(hwnd, kCheckFocus, 0, 0);
        break;
    case kCheckFocus:
        UpdateFocus();
        return 0;
    case WM_MOUSEACTIVATE:
        if (inPlaceActive_ && !uiActive_) UIActivate();
        break;
    case WM_GETOBJECT:
        if (AnswerGetObject(hwnd, wParam, lParam, *this, result)) return result;
        break;
    case WM_COMMAND: case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void UserControl::MouseEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!enabled_) return;
    ComPtr<IUnknown> keepAlive(Identity());
    short shift = static_cast<short>(((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? 4 : 0));
    float x = static_cast<short>(LOWORD(lParam)) * Screen::TwipsPerPixelX();
    float y = static_cast<short>(HIWORD(lParam)) * Screen::TwipsPerPixelY();
    switch (message) {
    case WM_LBUTTONDOWN:
        mouseDownInside_ = true;
        SetCapture(hWnd());
        MouseDown(1, shift, x, y);
        break;
    case WM_RBUTTONDOWN: MouseDown(2, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(4, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
        SetCapture(hWnd());
        DblClick();
        break;
    case WM_LBUTTONUP: {
        if (GetCapture() == hWnd()) ReleaseCapture();
        MouseUp(1, shift, x, y);
        RECT r;
        GetClientRect(hWnd(), &r);
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (mouseDownInside_ && PtInRect(&r, p)) Click();
        mouseDownInside_ = false;
        break;
    }
    case WM_RBUTTONUP: MouseUp(2, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(4, shift, x, y); break;
    case WM_MOUSEMOVE: {
        short button = static_cast<short>(((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) |
                                          ((wParam & MK_MBUTTON) ? 4 : 0));
        MouseMove(button, shift, x, y);
        break;
    }
    }
}
