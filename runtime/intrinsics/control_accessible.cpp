// What a screen reader reads of an intrinsic control: its role, caption, state and place.
#include "intrinsics/control.h"

#include "services/accessible.h"

std::wstring Control::AccessibleName() const {
    return WithoutAccessKeys(Caption());
}

AccessibleElement Control::Describe(long) const {
    AccessibleElement element;
    element.role = AccessibleRole();
    element.name = AccessibleName();
    element.value = AccessibleValue();
    if (const wchar_t* action = DefaultAction()) element.defaultAction = action;
    if (windowless_) {
        HWND window = container_.ExistingWindow();
        element.state = (visible_ ? 0 : STATE_SYSTEM_INVISIBLE) | (enabled_ ? 0 : STATE_SYSTEM_UNAVAILABLE) |
                        (window ? WindowState(window) & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE) : 0);
        element.screen = window ? ClientToScreenRect(window, bounds_) : RECT{};
    } else {
        element.state = WindowState(hWnd());
        element.screen = WindowScreenRect(hWnd());
    }
    element.state |= AccessibleState();
    return element;
}

HRESULT Control::DoDefaultAction(long) {
    if (!DefaultAction()) return DISP_E_MEMBERNOTFOUND;
    PerformDefaultAction();
    return S_OK;
}
