#include "by_name.h"

namespace {
HRESULT IdOf(IDispatch* object, const wchar_t* name, DISPID& id) {
    if (!object) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}
} // namespace

HRESULT GetByName(IDispatch* object, const wchar_t* name, Variant& value, const Variant* argument) {
    DISPID id;
    RETURN_IF_FAILED(IdOf(object, name, id));
    Variant arg = argument ? *argument : Variant();
    DISPPARAMS params{argument ? arg.get() : nullptr, nullptr, argument ? 1u : 0u, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params,
                          value.put(), nullptr, nullptr);
}

HRESULT PutByName(IDispatch* object, const wchar_t* name, const Variant& value) {
    DISPID id;
    RETURN_IF_FAILED(IdOf(object, name, id));
    Variant arg = value;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg.get(), &put, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

ComPtr<IDispatch> DispatchOf(const Variant& value) {
    ComPtr<IDispatch> object;
    const VARIANT* v = value.get();
    if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
        v->punkVal->QueryInterface(IID_PPV_ARGS(&object));
    return object;
}
