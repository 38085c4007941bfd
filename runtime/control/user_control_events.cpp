// What the control tells its clients: events through its connection points, with by-reference arguments
// a handler may change, and property changes to those who listen for them.
#include "control/user_control.h"

#include <algorithm>

VARIANTARG UserControl::ByRef(short& v) {
    VARIANTARG a{};
    a.vt = VT_I2 | VT_BYREF;
    a.piVal = &v;
    return a;
}

VARIANTARG UserControl::ByRef(long& v) {
    VARIANTARG a{};
    a.vt = VT_I4 | VT_BYREF;
    a.plVal = &v;
    return a;
}

VARIANTARG UserControl::ByRef(float& v) {
    VARIANTARG a{};
    a.vt = VT_R4 | VT_BYREF;
    a.pfltVal = &v;
    return a;
}

VARIANTARG UserControl::ByRef(OLE_COLOR& v) {
    VARIANTARG a{};
    a.vt = VT_UI4 | VT_BYREF;
    a.pulVal = reinterpret_cast<ULONG*>(&v);
    return a;
}

VARIANTARG UserControl::ByRef(BSTR& v) {
    VARIANTARG a{};
    a.vt = VT_BSTR | VT_BYREF;
    a.pbstrVal = &v;
    return a;
}

VARIANTARG UserControl::ByRef(IDispatch*& v) {
    VARIANTARG a{};
    a.vt = VT_DISPATCH | VT_BYREF;
    a.ppdispVal = &v;
    return a;
}

HRESULT UserControl::RaiseEventArgs(DISPID id, VARIANTARG* args, UINT count) {
    if (frozenEvents_ > 0) return S_OK;
    ComPtr<IUnknown> keepAlive(Identity());
    std::reverse(args, args + count); // DISPPARAMS lists the arguments last to first
    DISPPARAMS params{count ? args : nullptr, nullptr, count, 0};
    events_.ForEachSink([&](IUnknown* sink) {
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(sink->QueryInterface(IID_PPV_ARGS(&dispatch))))
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
    return S_OK;
}

void UserControl::PropertyChanged(const wchar_t* name) {
    dirty_ = true;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DualIDsOfNames(names, 1, &id);
    propertyNotify_.ForEachSink([&](IUnknown* sink) {
        ComPtr<IPropertyNotifySink> notify;
        if (SUCCEEDED(sink->QueryInterface(IID_PPV_ARGS(&notify)))) notify->OnChanged(id);
    });
}

STDMETHODIMP UserControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return NoThrow([&] {
        return CreateConnectionPointEnumerator(Identity(), {&events_, &propertyNotify_}, points);
    });
}

STDMETHODIMP UserControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid == events_.iid()) *point = &events_;
    else if (iid == IID_IPropertyNotifySink) *point = &propertyNotify_;
    else return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}
