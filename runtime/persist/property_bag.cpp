#include "persist/property_bag.h"


#include <cstring>
#include <new>

namespace {

std::u16string Key(const wchar_t* name) {
    return std::u16string(reinterpret_cast<const char16_t*>(name), wcslen(name));
}

bool IsObject(VARTYPE type) { return type == VT_UNKNOWN || type == VT_DISPATCH; }

constexpr uint16_t kObjectType = VT_UNKNOWN;

// Bytes of fixed-size values, in the order the platform keeps them (little-endian).
size_t FixedSize(VARTYPE type) {
    switch (type) {
    case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: return 4;
    case VT_R8: case VT_CY: case VT_DATE: return 8;
    default: return 0;
    }
}

HRESULT SaveObject(IUnknown* object, std::vector<uint8_t>& data) {
    ComPtr<IPersistStream> persist;
    ComPtr<IPersistStreamInit> persistInit;
    CLSID clsid;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&persist)))) {
        RETURN_IF_FAILED(persist->GetClassID(&clsid));
    } else {
        RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&persistInit)));
        RETURN_IF_FAILED(persistInit->GetClassID(&clsid));
    }
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    RETURN_IF_FAILED(persist ? persist->Save(stream.Get(), TRUE) : persistInit->Save(stream.Get(), TRUE));
    STATSTG stat{};
    RETURN_IF_FAILED(stream->Stat(&stat, STATFLAG_NONAME));
    if (stat.cbSize.QuadPart > 64u * 1024 * 1024) return E_OUTOFMEMORY;
    data.resize(sizeof(CLSID) + static_cast<size_t>(stat.cbSize.QuadPart));
    std::memcpy(data.data(), &clsid, sizeof clsid);
    LARGE_INTEGER start{};
    RETURN_IF_FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    RETURN_IF_FAILED(stream->Read(data.data() + sizeof clsid, static_cast<ULONG>(stat.cbSize.QuadPart), &read));
    return read == stat.cbSize.QuadPart ? S_OK : STG_E_READFAULT;
}

HRESULT LoadObject(const std::vector<uint8_t>& data, VARIANT* value) {
    if (data.size() < sizeof(CLSID)) return DISP_E_TYPEMISMATCH;
    CLSID clsid;
    std::memcpy(&clsid, data.data(), sizeof clsid);
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(data.data() + sizeof clsid, static_cast<ULONG>(data.size() - sizeof clsid), &written));
    LARGE_INTEGER start{};
    RETURN_IF_FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr));

    ComPtr<IUnknown> object;
    RETURN_IF_FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)));
    ComPtr<IPersistStream> persist;
    ComPtr<IPersistStreamInit> persistInit;
    if (SUCCEEDED(object.As(&persist))) {
        RETURN_IF_FAILED(persist->Load(stream.Get()));
    } else {
        RETURN_IF_FAILED(object.As(&persistInit));
        RETURN_IF_FAILED(persistInit->Load(stream.Get()));
    }
    ComPtr<IDispatch> dispatch;
    if (SUCCEEDED(object.As(&dispatch))) {
        value->vt = VT_DISPATCH;
        value->pdispVal = dispatch.Detach();
    } else {
        value->vt = VT_UNKNOWN;
        value->punkVal = object.Detach();
    }
    return S_OK;
}

} // namespace

HRESULT EntryFromVariant(const wchar_t* key, const VARIANT& value, persist::Entry& entry) {
    entry.key = Key(key);
    entry.data.clear();
    VARTYPE type = value.vt;
    if (type == VT_BSTR) {
        entry.type = VT_BSTR;
        const auto* bytes = reinterpret_cast<const uint8_t*>(value.bstrVal);
        entry.data.assign(bytes, bytes + SysStringLen(value.bstrVal) * sizeof(wchar_t));
        return S_OK;
    }
    if (IsObject(type)) {
        entry.type = kObjectType;
        if (!value.punkVal) return E_POINTER;
        return SaveObject(value.punkVal, entry.data);
    }
    if (size_t size = FixedSize(type)) {
        entry.type = type;
        const auto* bytes = reinterpret_cast<const uint8_t*>(&value.bVal);
        entry.data.assign(bytes, bytes + size);
        return S_OK;
    }
    return DISP_E_TYPEMISMATCH;
}

HRESULT VariantFromEntry(const persist::Entry& entry, VARIANT* value) {
    VariantInit(value);
    if (entry.type == VT_BSTR) {
        value->vt = VT_BSTR;
        value->bstrVal = SysAllocStringLen(reinterpret_cast<const wchar_t*>(entry.data.data()),
                                           static_cast<UINT>(entry.data.size() / sizeof(wchar_t)));
        return value->bstrVal || entry.data.empty() ? S_OK : E_OUTOFMEMORY;
    }
    if (entry.type == kObjectType) return LoadObject(entry.data, value);
    size_t size = FixedSize(entry.type);
    if (!size || size != entry.data.size()) return DISP_E_TYPEMISMATCH;
    value->vt = entry.type;
    std::memcpy(&value->bVal, entry.data.data(), size);
    return S_OK;
}

HRESULT PropertyBag::ReadProperty(const wchar_t* key, const Variant& defaultValue, Variant& value) {
    Variant stored;
    HRESULT hr = bag_->Read(key, stored.put(), nullptr);
    if (hr == E_INVALIDARG) { // absent
        value = defaultValue;
        return S_OK;
    }
    RETURN_IF_FAILED(hr);
    if (IsObject(defaultValue.type())) {
        if (!IsObject(stored.type())) return DISP_E_TYPEMISMATCH;
        value = std::move(stored);
        return S_OK;
    }
    return SUCCEEDED(stored.As(defaultValue.type(), value)) ? S_OK : DISP_E_TYPEMISMATCH;
}

HRESULT PropertyBag::WriteProperty(const wchar_t* key, const Variant& value, const Variant& defaultValue) {
    bool equal = false;
    if (IsObject(value.type()) || IsObject(defaultValue.type())) {
        ComPtr<IFont> a, b;
        IUnknown* given = IsObject(value.type()) ? value.get()->punkVal : nullptr;
        IUnknown* byDefault = IsObject(defaultValue.type()) ? defaultValue.get()->punkVal : nullptr;
        equal = given == byDefault;
        if (!equal && given && byDefault && SUCCEEDED(given->QueryInterface(IID_PPV_ARGS(&a))) &&
            SUCCEEDED(byDefault->QueryInterface(IID_PPV_ARGS(&b)))) {
            // A font object settles its character set when first used; compare both settled, or a font
            // that was drawn with never equals an unused copy of itself.
            SHORT charset;
            a->get_Charset(&charset);
            b->get_Charset(&charset);
            equal = a->IsEqual(b.Get()) == S_OK;
        }
    } else {
        equal = VarCmp(const_cast<VARIANT*>(value.get()), const_cast<VARIANT*>(defaultValue.get()),
                       LOCALE_USER_DEFAULT, 0) == static_cast<HRESULT>(VARCMP_EQ);
    }
    if (equal) return S_OK;
    return bag_->Write(key, const_cast<VARIANT*>(value.get()));
}

HRESULT PropertyBag::Read(const wchar_t* key, OleColor defaultValue, OleColor& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::I4(static_cast<LONG>(defaultValue)), v));
    value = static_cast<OleColor>(v.get()->lVal);
    return S_OK;
}

HRESULT PropertyBag::Read(const wchar_t* key, short defaultValue, short& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::I2(defaultValue), v));
    value = v.get()->iVal;
    return S_OK;
}

HRESULT PropertyBag::Read(const wchar_t* key, LONG defaultValue, LONG& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::I4(defaultValue), v));
    value = v.get()->lVal;
    return S_OK;
}

HRESULT PropertyBag::Read(const wchar_t* key, bool defaultValue, bool& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::Bool(defaultValue), v));
    value = v.get()->boolVal != VARIANT_FALSE;
    return S_OK;
}

HRESULT PropertyBag::Read(const wchar_t* key, std::wstring_view defaultValue, std::wstring& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::Str(defaultValue), v));
    value.assign(v.get()->bstrVal, SysStringLen(v.get()->bstrVal));
    return S_OK;
}

HRESULT PropertyBag::Read(const wchar_t* key, IFont* defaultValue, ComPtr<IFont>& value) {
    Variant v;
    RETURN_IF_FAILED(ReadProperty(key, Variant::Object(defaultValue), v));
    if (!v.get()->punkVal) {
        value.Reset();
        return S_OK;
    }
    return SUCCEEDED(v.get()->punkVal->QueryInterface(IID_PPV_ARGS(value.ReleaseAndGetAddressOf())))
               ? S_OK
               : DISP_E_TYPEMISMATCH;
}

HRESULT PropertyBag::Write(const wchar_t* key, OleColor value, OleColor defaultValue) {
    return WriteProperty(key, Variant::I4(static_cast<LONG>(value)), Variant::I4(static_cast<LONG>(defaultValue)));
}
HRESULT PropertyBag::Write(const wchar_t* key, short value, short defaultValue) {
    return WriteProperty(key, Variant::I2(value), Variant::I2(defaultValue));
}
HRESULT PropertyBag::Write(const wchar_t* key, LONG value, LONG defaultValue) {
    return WriteProperty(key, Variant::I4(value), Variant::I4(defaultValue));
}
HRESULT PropertyBag::Write(const wchar_t* key, bool value, bool defaultValue) {
    return WriteProperty(key, Variant::Bool(value), Variant::Bool(defaultValue));
}
HRESULT PropertyBag::Write(const wchar_t* key, std::wstring_view value, std::wstring_view defaultValue) {
    return WriteProperty(key, Variant::Str(value), Variant::Str(defaultValue));
}
HRESULT PropertyBag::Write(const wchar_t* key, IFont* value, IFont* defaultValue) {
    return WriteProperty(key, Variant::Object(value), Variant::Object(defaultValue));
}

HRESULT MemoryPropertyBag::Create(std::vector<persist::Entry> entries, MemoryPropertyBag** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) MemoryPropertyBag(std::move(entries));
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP MemoryPropertyBag::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPropertyBag) {
        *out = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) MemoryPropertyBag::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
    if (!name || !value) return E_POINTER;
    return NoThrow([&] {
        const persist::Entry* entry = persist::Find(entries_, Key(name));
        if (!entry) return E_INVALIDARG;
        Variant found;
        RETURN_IF_FAILED(VariantFromEntry(*entry, found.put()));
        VARTYPE wanted = value->vt;
        VariantClear(value);
        if (wanted == VT_EMPTY || wanted == found.type()) {
            *value = found.release();
            return S_OK;
        }
        return VariantChangeType(value, found.get(), 0, wanted);
    });
}

STDMETHODIMP MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
    if (!name || !value) return E_POINTER;
    return NoThrow([&] {
        persist::Entry entry;
        RETURN_IF_FAILED(EntryFromVariant(name, *value, entry));
        persist::Put(entries_, std::move(entry));
        return S_OK;
    });
}
