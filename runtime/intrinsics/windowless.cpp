// The container's side of its windowless children: it paints them, finds them under the mouse and hands
// them its mouse messages, so that a label or an image costs no window.
#include "intrinsics/control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

Control* Container::WindowlessAt(POINT client) const {
    for (Control* child : windowless_)
        if (child->visible_ && child->enabled_ && PtInRect(&child->bounds_, client)) return child;
    return nullptr;
}

void Container::PaintWindowless(HDC dc) const {
    RECT clip;
    const int clipKind = GetClipBox(dc, &clip);
    if (clipKind == NULLREGION) return;
    for (auto child = windowless_.rbegin(); child != windowless_.rend(); ++child) {
        const RECT& bounds = (*child)->bounds_;
        RECT overlap;
        if (!(*child)->visible_ || (clipKind != ERROR && !IntersectRect(&overlap, &clip, &bounds))) continue;
        const int saved = SaveDC(dc);
        OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
        IntersectClipRect(dc, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
        (*child)->Paint(dc);
        RestoreDC(dc, saved);
    }
}

bool Container::RouteWindowlessMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND window = ContainerWindow();
    switch (message) {
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) return false;
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        Control* child = mouseOwner_ ? mouseOwner_ : WindowlessAt(p);
        HCURSOR cursor = child ? child->Pointer() : nullptr;
        if (!cursor) return false;
        SetCursor(cursor);
        result = TRUE;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (mouseOwner_) std::exchange(mouseOwner_, nullptr)->implicitCapture_ = false;
        return false;
    default: // moves and the three buttons' presses, releases and double clicks
        if (message < WM_MOUSEMOVE || message > WM_MBUTTONDBLCLK) return false;
    }
    // Each tip decides from the point whether it is over its own rectangle.
    for (Control* child : windowless_)
        if (child->toolTip_) {
            MSG msg{window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
            SendMessageW(child->toolTip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
        }
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Control* target = mouseOwner_ && GetCapture() == window ? mouseOwner_ : WindowlessAt(p);
    if (!target) return false;
    const LPARAM local = MAKELPARAM(p.x - target->bounds_.left, p.y - target->bounds_.top);
    result = target->OnMouse(message, wParam, local);
    return true;
}

void Container::WindowMade() {
    for (Control* child : windowless_)
        if (!child->toolTipText_.empty()) child->SetToolTipText(std::wstring(child->toolTipText_));
}

void Container::WindowGoing() {
    for (Control* child : windowless_) child->toolTip_.reset();
    mouseOwner_ = nullptr;
}
