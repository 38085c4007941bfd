#include "intrinsics/control.h"

namespace {
bool IsOptionButton(HWND hwnd) {
    return dynamic_cast<OptionButton*>(Control::FromHandle(hwnd)) != nullptr;
}
} // namespace

OptionButton::OptionButton(Container& container, int id)
    : Control(container, id, L"BUTTON", BS_AUTORADIOBUTTON, 0,
              Look{0x8000000F, 0x80000012, 0, false, false}) {
    // The first of a run of option buttons starts the group and is its one tab stop.
    if (hWnd() && !IsOptionButton(GetWindow(hWnd(), GW_HWNDPREV)))
        SetWindowLongW(hWnd(), GWL_STYLE, GetWindowLongW(hWnd(), GWL_STYLE) | WS_GROUP | WS_TABSTOP);
}

bool OptionButton::Value() const {
    return SendMessageW(hWnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionButton::SetValue(bool value) {
    if (!hWnd()) return;
    if (value) {
        HWND first = hWnd();
        while (!(GetWindowLongW(first, GWL_STYLE) & WS_GROUP) &&
               IsOptionButton(GetWindow(first, GW_HWNDPREV)))
            first = GetWindow(first, GW_HWNDPREV);
        for (HWND w = first; w && IsOptionButton(w); w = GetWindow(w, GW_HWNDNEXT)) {
            if (w != first && (GetWindowLongW(w, GWL_STYLE) & WS_GROUP)) break;
            if (w != hWnd()) SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageW(hWnd(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (value) Raise(Click);
}

void OptionButton::OnCommand(WORD notification) {
    if (notification == BN_CLICKED) Raise(Click);
}
