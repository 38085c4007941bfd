// What a screen reader reads of a control that says nothing more about itself.
#include "control/user_control.h"

AccessibleElement UserControl::Describe(long child) const {
    AccessibleElement element;
    if (child != CHILDID_SELF) return element;
    Variant name, text;
    if (SUCCEEDED(Extender(L"Name", name)) && SUCCEEDED(name.As(VT_BSTR, text))) {
        element.name = TextOf(text.get()->bstrVal);
    } else {
        ComPtr<ITypeInfo> info;
        Bstr className;
        if (SUCCEEDED(Module::TypeInfo(clsid_, &info)))
            (void)info->GetDocumentation(MEMBERID_NIL, className.put(), nullptr, nullptr, nullptr);
        element.name = className.str();
    }
    element.state = WindowState(hWnd());
    element.screen = WindowScreenRect(hWnd());
    return element;
}
