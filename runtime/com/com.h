// COM plumbing every object of the runtime uses: smart pointers, BSTR and VARIANT owners, error macros.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <utility>

using Microsoft::WRL::ComPtr;

// Takes over a reference the caller already owns. (This toolchain's ComPtr::Attach adds a reference of its
// own, so Attach would leak the object.)
template <class T> ComPtr<T> Adopt(T* object) {
    ComPtr<T> owner;
    *owner.GetAddressOf() = object;
    return owner;
}

#define RETURN_IF_FAILED(expr)                                                                                 \
    do {                                                                                                       \
        HRESULT hr_ = (expr);                                                                                  \
        if (FAILED(hr_)) return hr_;                                                                           \
    } while (0)

#define RETURN_HR_IF_NULL(hr, pointer)                                                                         \
    do {                                                                                                       \
        if (!(pointer)) return (hr);                                                                           \
    } while (0)

// Turns anything a handler throws into a status, at the boundary where nothing may unwind further.
template <class F> HRESULT NoThrow(F&& f) noexcept {
    try {
        return std::forward<F>(f)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        reset(std::exchange(other.s_, nullptr));
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { reset(); }

    BSTR get() const { return s_; }
    BSTR* put() {
        reset();
        return &s_;
    }
    BSTR release() { return std::exchange(s_, nullptr); }
    void reset(BSTR s = nullptr) {
        if (s_ != s) SysFreeString(s_);
        s_ = s;
    }
    std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

// A property get's text for the caller, and a put's text as a view (a null BSTR is the empty text).
inline HRESULT CopyText(std::wstring_view text, BSTR* value) {
    if (!value) return E_POINTER;
    *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}
inline std::wstring_view TextOf(BSTR text) { return {text ? text : L"", text ? SysStringLen(text) : 0}; }

// A whole number in decimal; std::to_wstring would link the C runtime's formatter, floating point and all.
inline std::wstring DecimalText(long long value) {
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other) : Variant() { VariantCopy(&v_, const_cast<VARIANT*>(&other.v_)); }
    Variant& operator=(const Variant& other) {
        if (this != &other) VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        return *this;
    }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    static Variant I2(short value) { return Make(VT_I2, [&](VARIANT& v) { v.iVal = value; }); }
    static Variant I4(LONG value) { return Make(VT_I4, [&](VARIANT& v) { v.lVal = value; }); }
    static Variant Bool(bool value) { return Make(VT_BOOL, [&](VARIANT& v) { v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }); }
    static Variant Str(std::wstring_view text) {
        return Make(VT_BSTR, [&](VARIANT& v) { v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); });
    }
    static Variant Object(IUnknown* object) {
        return Make(VT_UNKNOWN, [&](VARIANT& v) {
            v.punkVal = object;
            if (object) object->AddRef();
        });
    }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE type() const { return v_.vt; }
    VARIANT release() {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }
    // Converted copy in the given type; the status of the conversion (for example DISP_E_TYPEMISMATCH).
    HRESULT As(VARTYPE type, Variant& out) const {
        return VariantChangeType(out.put(), const_cast<VARIANT*>(&v_), 0, type);
    }

private:
    template <class F> static Variant Make(VARTYPE type, F&& fill) {
        Variant out;
        out.v_.vt = type;
        fill(out.v_);
        return out;
    }
    VARIANT v_;
};

// Fills the thread's error object so that a late-bound caller sees a description with the failure.
HRESULT ReportError(HRESULT hr, REFIID iid, std::wstring_view description);
// What to tell a caller about a status nobody described: the system's text, or ours for the control errors
// the system has none for. The caller owns the string.
BSTR ErrorText(HRESULT hr);
