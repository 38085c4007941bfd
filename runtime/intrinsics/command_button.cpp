#include "intrinsics/control.h"

#include <olectl.h>

namespace {
// The command buttons among a window's siblings (including itself), ours only.
template <class Visit> void ForEachButtonBeside(HWND hwnd, Visit visit) {
    HWND parent = GetParent(hwnd);
    for (HWND w = parent ? GetWindow(parent, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* button = dynamic_cast<CommandButton*>(Control::FromHandle(w))) visit(*button);
}
} // namespace

CommandButton::CommandButton(Container& container, int id)
    : Control(container, id, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0,
              Look{0x8000000F, 0x80000012, 0, false, false}) {}

// The picture must outlive the window that shows it.
CommandButton::~CommandButton() {
    Destroy();
}

void CommandButton::OnCommand(WORD notification) {
    if (notification == BN_CLICKED) Raise(Click);
}

void CommandButton::SetPicture(Microsoft::WRL::ComPtr<IPicture> picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (picture && (FAILED(picture->get_Type(&type)) || FAILED(picture->get_Handle(&handle))))
        type = PICTYPE_NONE;
    if (!hWnd()) return;
    LONG style = GetWindowLongW(hWnd(), GWL_STYLE) & ~(BS_ICON | BS_BITMAP);
    if (type == PICTYPE_ICON) style |= BS_ICON;
    if (type == PICTYPE_BITMAP) style |= BS_BITMAP;
    SetWindowLongW(hWnd(), GWL_STYLE, style);
    auto image = reinterpret_cast<LPARAM>(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)));
    SendMessageW(hWnd(), BM_SETIMAGE, type == PICTYPE_BITMAP ? IMAGE_BITMAP : IMAGE_ICON,
                 type == PICTYPE_ICON || type == PICTYPE_BITMAP ? image : 0);
    picture_ = std::move(picture); // the old picture goes only after the button stopped showing it
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void CommandButton::SetDefault(bool isDefault) {
    if (!hWnd()) return;
    if (isDefault)
        ForEachButtonBeside(hWnd(), [this](CommandButton& other) {
            if (&other != this && other.default_) other.SetDefault(false);
        });
    default_ = isDefault;
    SendMessageW(hWnd(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void CommandButton::SetCancel(bool cancel) {
    if (cancel && hWnd()) ForEachButtonBeside(hWnd(), [](CommandButton& other) { other.cancel_ = false; });
    cancel_ = cancel;
}

bool CommandButton::Press() {
    if (!IsWindowVisible(hWnd()) || !ReceivesInput()) return false;
    Raise(Click);
    return true;
}
