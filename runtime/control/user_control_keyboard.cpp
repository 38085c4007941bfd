// Keys and the focus: the control's key events, its key preview of its children, and the container told
// when the focus enters or leaves the control.
#include "control/user_control.h"

namespace {

// A system key message says itself whether Alt is down (its context bit); the keyboard state may lag it.
short ShiftState(LPARAM keyData) {
    const bool alt = GetKeyState(VK_MENU) < 0 || (keyData & (1 << 29));
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (alt ? 4 : 0));
}

} // namespace

bool UserControl::KeyEvent(UINT message, WPARAM& wParam, LPARAM lParam) {
    if (!enabled_) return true;
    ComPtr<IUnknown> keepAlive(Identity());
    short key = static_cast<short>(wParam);
    switch (message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: KeyDown(key, ShiftState(lParam)); break;
    case WM_KEYUP: case WM_SYSKEYUP: KeyUp(key, ShiftState(lParam)); break;
    case WM_CHAR: KeyPress(key); break;
    }
    if (key == 0) return true;
    wParam = static_cast<WPARAM>(static_cast<unsigned short>(key));
    return false;
}

bool UserControl::PreviewKey(Control&, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!KeyPreview) return false;
    return KeyEvent(message, wParam, lParam);
}

void UserControl::ChildFocus(Control&, bool) { PostMessageW(hWnd(), kCheckFocus, 0, 0); }

void UserControl::UpdateFocus() {
    HWND focus = GetFocus();
    bool inside = focus && (focus == hWnd() || IsChild(hWnd(), focus));
    if (inside == hasFocus_) return;
    hasFocus_ = inside;
    ComPtr<IUnknown> keepAlive(Identity());
    if (inside && inPlaceActive_ && !uiActive_) UIActivate();
    ComPtr<IOleControlSite> controlSite;
    if (site_ && SUCCEEDED(site_.As(&controlSite))) controlSite->OnFocus(inside);
    inside ? EnterFocus() : ExitFocus();
}
