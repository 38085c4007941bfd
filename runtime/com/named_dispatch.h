// An IDispatch whose members are named properties and methods served by C++ callbacks: what a container
// offers a control (ambient properties, the extender) and what a form offers a script about itself.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

class NamedDispatch final : public IDispatch {
public:
    // A getter writes a fresh result (the variant it gets is empty); a setter gets the value by value,
    // never VT_BYREF; a method sees the caller's arguments as given (last argument first) and may leave
    // the result empty. A failing callback's HRESULT is the call's error; an IErrorInfo the callback sets
    // describes it. Callbacks may throw: bad_alloc becomes E_OUTOFMEMORY, anything else E_UNEXPECTED.
    using Getter = std::function<HRESULT(VARIANT* result)>;
    using Setter = std::function<HRESULT(const VARIANT& value)>;
    using Method = std::function<HRESULT(DISPPARAMS* params, VARIANT* result)>;

    static HRESULT Create(NamedDispatch** out); // refcount 1

    // A property needs a getter, a setter or both. The DISPID is the given one, or with DISPID_UNKNOWN
    // the next free one of 1, 2, 3 ... E_INVALIDARG for an empty name, no callback, or a name (ignoring
    // case) or DISPID that is already taken.
    HRESULT AddProperty(const wchar_t* name, Getter get, Setter put = nullptr, DISPID id = DISPID_UNKNOWN);
    HRESULT AddMethod(const wchar_t* name, Method method, DISPID id = DISPID_UNKNOWN);

    // IUnknown: IUnknown and IDispatch only.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: no type information; names matched without case.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

private:
    struct Member {
        std::wstring name;
        DISPID id;
        Getter get;
        Setter put;
        Method method;
    };

    NamedDispatch();
    ~NamedDispatch();
    HRESULT Add(const wchar_t* name, DISPID id, Member member) noexcept;
    const Member* Lookup(DISPID id) const;
    HRESULT Call(const Member& member, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);

    LONG refs_ = 1;
    std::vector<Member> members_;
};
