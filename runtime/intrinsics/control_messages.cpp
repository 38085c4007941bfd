// An intrinsic control's messages: its window procedure, mouse and key events, colours and commands
// reflected from its container.
#include "intrinsics/control.h"

#include "services/accessible.h"
#include "services/screen.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

namespace {

short ShiftState(UINT message, LPARAM lParam) {
    bool alt = GetKeyState(VK_MENU) < 0 ||
               ((message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && (lParam & (1 << 29)) != 0);
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (alt ? 4 : 0));
}

} // namespace

LRESULT CALLBACK Control::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* control = static_cast<Control*>(create->lpCreateParams)) {
            SetPropW(hwnd, ControlProperty(), control);
            control->hwnd_.reset(hwnd);
        }
    }
    Control* control = FromHandle(hwnd);
    if (!control) {
        auto base = reinterpret_cast<WNDPROC>(GetPropW(hwnd, BaseProperty()));
        if (message == WM_NCDESTROY) RemovePropW(hwnd, BaseProperty());
        return base ? CallWindowProcW(base, hwnd, message, wParam, lParam)
                    : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        if (message == WM_NCDESTROY) {
            // The window goes with its parent: forget it, so that nothing later touches a reused handle.
            LRESULT result = control->CallBase(message, wParam, lParam);
            control->toolTip_.reset();
            RemovePropW(hwnd, ControlProperty());
            RemovePropW(hwnd, BaseProperty());
            control->hwnd_.release();
            return result;
        }
        return control->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return control->CallBase(message, wParam, lParam);
    }
}

LRESULT Control::CallBase(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd_) return 0; // windowless: nothing beneath
    return CallWindowProcW(baseProc_, hwnd_.get(), message, wParam, lParam);
}

LRESULT Control::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hWnd() && LOWORD(lParam) == HTCLIENT) {
            if (HCURSOR cursor = Pointer()) {
                ::SetCursor(cursor);
                return TRUE;
            }
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return OnMouse(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
        return OnKey(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = CallBase(message, wParam, lParam);
        const bool gained = message == WM_SETFOCUS;
        Raise(gained ? GotFocus : LostFocus);
        try {
            container_.ChildFocus(*this, gained);
        } catch (...) {
        }
        return result;
    }
    case WM_CAPTURECHANGED:
        implicitCapture_ = false;
        break;
    case WM_GETFONT:
        if (look_.classStyle != 0) return reinterpret_cast<LRESULT>(FontHandle());
        break;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (AnswerGetObject(hWnd(), wParam, lParam, Accessibility ? *Accessibility : *this, result)) return result;
        break;
    }
    }
    return CallBase(message, wParam, lParam);
}

LRESULT Control::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (toolTip_ && !windowless_) { // a windowless control's tip hears the container's messages
        MSG msg{hWnd(), message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageW(toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    // Messages posted straight to a disabled window (or one in a disabled container) are not input.
    if (!ReceivesInput()) return 0;

    const short shift = static_cast<short>((wParam & MK_SHIFT ? 1 : 0) | (wParam & MK_CONTROL ? 2 : 0) |
                                           (GetKeyState(VK_MENU) < 0 ? 4 : 0));
    const int px = GET_X_LPARAM(lParam), py = GET_Y_LPARAM(lParam);
    const float x = ScaleX(px), y = ScaleY(py);
    short button = 0;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        button = 1;
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = 2;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = 4;
        break;
    }
    // Our own windows keep the mouse while a button is held, so moves and the release outside still arrive.
    auto captureForPress = [this] {
        if (look_.classStyle != 0 && !HasCapture()) TakeMouse(true);
    };

    switch (message) {
    case WM_MOUSEMOVE: {
        const short held = static_cast<short>((wParam & MK_LBUTTON ? 1 : 0) | (wParam & MK_RBUTTON ? 2 : 0) |
                                              (wParam & MK_MBUTTON ? 4 : 0));
        Raise(MouseMove, held, shift, x, y);
        return CallBase(message, wParam, lParam);
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (look_.raisesDblClick && button == 1) {
            // The second press of a double click is the double click; its release raises no Click.
            captureForPress();
            leftPressed_ = false;
            Raise(DblClick);
            return CallBase(message, wParam, lParam);
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        captureForPress();
        if (button == 1) leftPressed_ = true;
        Raise(MouseDown, button, shift, x, y);
        return CallBase(message, wParam, lParam);
    default: { // a release
        Raise(MouseUp, button, shift, x, y);
        LRESULT result = CallBase(message, wParam, lParam);
        if (implicitCapture_ && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
            implicitCapture_ = false;
            ReleaseCapture();
        }
        if (button == 1 && std::exchange(leftPressed_, false) && look_.clickOnRelease) {
            const RECT place = PlacedRect();
            const RECT client{0, 0, place.right - place.left, place.bottom - place.top};
            if (PtInRect(&client, POINT{px, py})) Raise(Click);
        }
        return result;
    }
    }
}

LRESULT Control::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    bool swallowed = false;
    try {
        swallowed = container_.PreviewKey(*this, message, wParam, lParam);
    } catch (...) {
    }
    if (swallowed || !hWnd()) return 0;
    if (message == WM_CHAR) {
        short keyAscii = static_cast<short>(wParam);
        Raise(KeyPress, keyAscii);
        if (keyAscii == 0) return 0;
        wParam = static_cast<unsigned short>(keyAscii);
    } else {
        short keyCode = static_cast<short>(wParam);
        const short shift = ShiftState(message, lParam);
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
            Raise(KeyDown, keyCode, shift);
        else
            Raise(KeyUp, keyCode, shift);
        if (keyCode == 0) return 0;
        wParam = static_cast<unsigned short>(keyCode);
    }
    return CallBase(message, wParam, lParam);
}

HBRUSH Control::OnControlColor(HDC dc) {
    // The DC's own brush: nothing to create, nothing to free.
    SetTextColor(dc, ResolveColor(foreColor_));
    SetBkColor(dc, ResolveColor(backColor_));
    SetDCBrushColor(dc, ResolveColor(backColor_));
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

float Control::ScaleX(int pixels) const {
    return pixels * Screen::TwipsPerPixelX();
}

float Control::ScaleY(int pixels) const {
    return pixels * Screen::TwipsPerPixelY();
}

bool Control::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Control* control = FromHandle(reinterpret_cast<HWND>(lParam));
    if (!control) return false;
    switch (message) {
    case WM_COMMAND:
        control->OnCommand(HIWORD(wParam));
        result = 0;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        result = reinterpret_cast<LRESULT>(control->OnControlColor(reinterpret_cast<HDC>(wParam)));
        return true;
    default:
        return false;
    }
}
