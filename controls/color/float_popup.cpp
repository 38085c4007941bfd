#include "float_popup.h"

#include "color_geometry.h"
#include "services/do_events.h"
#include "services/screen.h"

void FloatPopup(PictureBox& popup) {
    // The tool-window style alone: the box's border and every other extended bit go. Floating then adds
    // only what keeps a click on it from taking the focus away from the control.
    SetWindowLongW(popup.hWnd(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    popup.Float();
}

void ShowPopup(HWND control, PictureBox& popup, const std::function<void()>& paintPopup,
               const std::function<void()>& repaintFace) {
    RECT rc{};
    GetWindowRect(control, &rc);
    const int width = popup.Width(), height = popup.Height();
    const color::PopupPlacement place =
        color::PlacePopup({rc.left, rc.top, rc.right, rc.bottom}, width, height, Screen::Width(),
                          Screen::Height(), Screen::TwipsPerPixelX(), Screen::TwipsPerPixelY());
    popup.Move(place.left, place.top, width, height);
    popup.SetVisible(true);
    popup.ZOrder(0);
    paintPopup();
    DoEvents();
    repaintFace();
    popup.SetCapture();
}

void HidePopup(PictureBox& popup, const std::function<void()>& repaintFace) {
    if (GetCapture() == popup.hWnd()) ReleaseCapture();
    popup.SetVisible(false);
    DoEvents();
    repaintFace();
}

PopupList::PopupList(PictureBox& popup, long entries) : popup_(popup), entries_(entries) {
    popup_.Accessibility = this;
}

PopupList::~PopupList() {
    popup_.Accessibility = nullptr;
}

AccessibleElement PopupList::Describe(long child) const {
    const long listState = WindowState(popup_.hWnd());
    if (child == CHILDID_SELF) {
        AccessibleElement list;
        list.role = ROLE_SYSTEM_LIST;
        list.name = L"Colors";
        list.state = listState;
        list.screen = WindowScreenRect(popup_.hWnd());
        return list;
    }
    AccessibleElement entry = Entry ? Entry(child) : AccessibleElement{};
    entry.screen = ClientToScreenRect(popup_.hWnd(), entry.screen);
    entry.state |= listState & STATE_SYSTEM_INVISIBLE;
    return entry;
}

HRESULT PopupList::DoDefaultAction(long child) {
    if (Choose) Choose(child);
    return S_OK;
}
