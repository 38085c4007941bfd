#include "com/named_dispatch.h"

#include "com/com.h"
#include "com/module.h"

#include <new>
#include <utility>

namespace {

bool NamesEqual(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Errors of the dispatch protocol itself (wrong counts, types, names) describe the call, not a failure
// inside the member, so they go back as they are rather than as an exception.
bool IsCallError(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_DISPATCH;
}

// What a script shows for a failed member: the status, and the description the member left behind in
// the thread's error object or else the system's text for the status.
void FillException(EXCEPINFO* exception, HRESULT hr) {
    *exception = EXCEPINFO{};
    exception->scode = hr;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetSource(&exception->bstrSource);
        info->GetDescription(&exception->bstrDescription);
        info->GetHelpFile(&exception->bstrHelpFile);
        info->GetHelpContext(&exception->dwHelpContext);
    }
    if (!exception->bstrDescription) exception->bstrDescription = ErrorText(hr);
}

} // namespace

// Like every COM object of the module, it keeps the module loaded while it lives.
NamedDispatch::NamedDispatch() {
    Module::Lock();
}
NamedDispatch::~NamedDispatch() {
    Module::Unlock();
}

HRESULT NamedDispatch::Create(NamedDispatch** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) NamedDispatch();
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NamedDispatch::AddProperty(const wchar_t* name, Getter get, Setter put, DISPID id) {
    if (!get && !put) return E_INVALIDARG;
    return Add(name, id, Member{{}, id, std::move(get), std::move(put), nullptr});
}

HRESULT NamedDispatch::AddMethod(const wchar_t* name, Method method, DISPID id) {
    if (!method) return E_INVALIDARG;
    return Add(name, id, Member{{}, id, nullptr, nullptr, std::move(method)});
}

HRESULT NamedDispatch::Add(const wchar_t* name, DISPID id, Member member) noexcept {
    if (!name || !*name) return E_INVALIDARG;
    for (const Member& m : members_)
        if (NamesEqual(m.name.c_str(), name)) return E_INVALIDARG;
    if (id == DISPID_UNKNOWN) {
        id = 1;
        while (Lookup(id))
            ++id;
    } else if (Lookup(id)) {
        return E_INVALIDARG;
    }
    return NoThrow([&] {
        member.name = name;
        member.id = id;
        members_.push_back(std::move(member));
        return S_OK;
    });
}

const NamedDispatch::Member* NamedDispatch::Lookup(DISPID id) const {
    for (const Member& m : members_)
        if (m.id == id) return &m;
    return nullptr;
}

STDMETHODIMP NamedDispatch::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) NamedDispatch::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) NamedDispatch::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP NamedDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP NamedDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return index == 0 ? E_NOTIMPL : DISP_E_BADINDEX;
}

STDMETHODIMP NamedDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count && (!names || !ids)) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count == 0) return S_OK;
    if (names[0]) {
        for (const Member& m : members_) {
            if (NamesEqual(m.name.c_str(), names[0])) {
                ids[0] = m.id;
                break;
            }
        }
    }
    // Members take no named arguments, so any argument name is unknown as well.
    return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP NamedDispatch::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!params || (params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs)
        return E_INVALIDARG;
    if (result) VariantInit(result);
    const Member* found = Lookup(id);
    if (!found) return DISP_E_MEMBERNOTFOUND;

    // The callback may add members (moving the table) or drop the last outside reference: work on a copy
    // of the member and keep this object alive until the call is over.
    ComPtr<NamedDispatch> self(this);
    Member member;
    HRESULT hr = NoThrow([&] {
        member = *found;
        return S_OK;
    });
    if (FAILED(hr)) return hr;

    // Only what the member reports during this call may describe its failure.
    SetErrorInfo(0, nullptr);
    hr = Call(member, flags, params, result, argError);
    if (SUCCEEDED(hr) || IsCallError(hr)) return hr;
    if (!exception) return hr;
    FillException(exception, hr);
    return DISP_E_EXCEPTION;
}

HRESULT NamedDispatch::Call(const Member& member, WORD flags, DISPPARAMS* params, VARIANT* result,
                            UINT* argError) {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr;
    if (member.method) {
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        hr = NoThrow([&] { return member.method(params, &value); });
    } else if (flags & DISPATCH_PROPERTYGET) {
        if (!member.get) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        if (params->cArgs) return DISP_E_BADPARAMCOUNT;
        hr = NoThrow([&] { return member.get(&value); });
    } else if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!member.put) return DISP_E_MEMBERNOTFOUND;
        // Callers should name the value DISPID_PROPERTYPUT; some older ones name nothing, which is harmless.
        if (params->cNamedArgs > 1 ||
            (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
            if (argError) *argError = 0;
            return DISP_E_PARAMNOTFOUND;
        }
        if (params->cArgs == 0) return DISP_E_PARAMNOTOPTIONAL;
        if (params->cArgs > 1) return DISP_E_BADPARAMCOUNT;
        // Setters see a plain value even when a script hands over a reference.
        VARIANT copy;
        VariantInit(&copy);
        hr = VariantCopyInd(&copy, &params->rgvarg[0]);
        if (SUCCEEDED(hr)) hr = NoThrow([&] { return member.put(copy); });
        VariantClear(&copy);
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW) && argError) *argError = 0;
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }

    if (FAILED(hr) || !result) {
        VariantClear(&value);
        return FAILED(hr) ? hr : S_OK;
    }
    *result = value;
    return S_OK;
}
