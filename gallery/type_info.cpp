#include "type_info.h"

#include "services/font.h"
#include "persist/property_bag.h"

#include <cmath>
#include <climits>

namespace gallery {
namespace {

// Releases what GetTypeAttr and GetFuncDesc hand out when the scope ends.
struct TypeAttr {
    ITypeInfo* info;
    TYPEATTR* attr = nullptr;
    explicit TypeAttr(ITypeInfo* i) : info(i) { info->GetTypeAttr(&attr); }
    ~TypeAttr() {
        if (attr) info->ReleaseTypeAttr(attr);
    }
};
struct FuncDesc {
    ITypeInfo* info;
    FUNCDESC* desc = nullptr;
    FuncDesc(ITypeInfo* i, UINT index) : info(i) { info->GetFuncDesc(index, &desc); }
    ~FuncDesc() {
        if (desc) info->ReleaseFuncDesc(desc);
    }
};

std::wstring TypeName(ITypeInfo* info, const TYPEDESC& type, bool& color, bool& font, bool& object) {
    switch (type.vt) {
    case VT_PTR: {
        std::wstring inner = TypeName(info, *type.lptdesc, color, font, object);
        return inner + L"*";
    }
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(type.hreftype, &ref))) return L"?";
        std::wstring name = NameOf(ref.Get());
        TypeAttr attr(ref.Get());
        color = name == L"OLE_COLOR";
        font = name == L"IFontDisp" || name == L"Font" || name == L"IFont";
        object = !font && attr.attr &&
                 (attr.attr->typekind == TKIND_DISPATCH || attr.attr->typekind == TKIND_INTERFACE ||
                  attr.attr->typekind == TKIND_COCLASS);
        return name;
    }
    case VT_DISPATCH: object = true; return L"IDispatch";
    case VT_UNKNOWN: object = true; return L"IUnknown";
    case VT_BSTR: return L"BSTR";
    case VT_BOOL: return L"VARIANT_BOOL";
    case VT_I2: return L"short";
    case VT_I4: return L"long";
    case VT_INT: return L"int";
    case VT_UI1: return L"unsigned char";
    case VT_UI4: return L"unsigned long";
    case VT_R4: return L"float";
    case VT_R8: return L"double";
    case VT_VARIANT: return L"VARIANT";
    default: return L"type " + std::to_wstring(type.vt);
    }
}

HRESULT Invoke(IDispatch* control, DISPID id, WORD flags, DISPPARAMS& params, Variant* result, std::wstring& error) {
    EXCEPINFO exception{};
    UINT argError = 0;
    SetErrorInfo(0, nullptr);
    HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result->put() : nullptr,
                                 &exception, &argError);
    if (FAILED(hr)) error = ErrorText(hr, &exception);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}
} // namespace

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

HRESULT ClassInfo(IUnknown* control, ComPtr<ITypeInfo>& coclass) {
    if (!control) return E_POINTER;
    ComPtr<IProvideClassInfo> provide;
    RETURN_IF_FAILED(control->QueryInterface(IID_PPV_ARGS(&provide)));
    return provide->GetClassInfo(coclass.ReleaseAndGetAddressOf());
}

HRESULT InterfaceOf(ITypeInfo* coclass, bool source, ComPtr<ITypeInfo>& info) {
    TypeAttr attr(coclass);
    RETURN_HR_IF_NULL(E_FAIL, attr.attr);
    for (UINT i = 0; i < attr.attr->cImplTypes; ++i) {
        INT flags = 0;
        RETURN_IF_FAILED(coclass->GetImplTypeFlags(i, &flags));
        if (!(flags & IMPLTYPEFLAG_FDEFAULT) || !(flags & IMPLTYPEFLAG_FSOURCE) != !source) continue;
        HREFTYPE ref;
        RETURN_IF_FAILED(coclass->GetRefTypeOfImplType(i, &ref));
        RETURN_IF_FAILED(coclass->GetRefTypeInfo(ref, info.ReleaseAndGetAddressOf()));
        // A dual interface: its dispatch side lists the properties with their own types.
        TypeAttr inner(info.Get());
        if (inner.attr && inner.attr->typekind == TKIND_INTERFACE && (inner.attr->wTypeFlags & TYPEFLAG_FDUAL)) {
            ComPtr<ITypeInfo> dispatch;
            if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
                SUCCEEDED(info->GetRefTypeInfo(ref, &dispatch)))
                info = dispatch;
        }
        return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID id) {
    Bstr name;
    if (!info || FAILED(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr))) return {};
    return name.str();
}

HRESULT ListProperties(IUnknown* control, std::vector<PropertyInfo>& out) {
    out.clear();
    ComPtr<ITypeInfo> coclass, info;
    RETURN_IF_FAILED(ClassInfo(control, coclass));
    RETURN_IF_FAILED(InterfaceOf(coclass.Get(), false, info));
    TypeAttr attr(info.Get());
    RETURN_HR_IF_NULL(E_FAIL, attr.attr);
    for (UINT i = 0; i < attr.attr->cFuncs; ++i) {
        FuncDesc f(info.Get(), i);
        if (!f.desc || (f.desc->wFuncFlags & (FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED))) continue;
        PropertyInfo* known = nullptr;
        for (auto& p : out)
            if (p.id == f.desc->memid) known = &p;
        if (f.desc->invkind == INVOKE_PROPERTYGET && f.desc->cParams == 0 && !known) {
            PropertyInfo p;
            p.id = f.desc->memid;
            p.name = NameOf(info.Get(), p.id);
            p.typeName = TypeName(info.Get(), f.desc->elemdescFunc.tdesc, p.color, p.font, p.object);
            // The library's OLE_COLOR reaches its type information as its underlying unsigned long.
            p.color = p.color || (f.desc->elemdescFunc.tdesc.vt == VT_UI4 && p.name.find(L"Color") != std::wstring::npos);
            out.push_back(std::move(p));
            known = &out.back();
        }
        if (!known) continue;
        if (f.desc->invkind == INVOKE_PROPERTYPUT) known->put = true;
        if (f.desc->invkind == INVOKE_PROPERTYPUTREF) known->putRef = true;
    }
    // A put declared before its get in the library.
    for (UINT i = 0; i < attr.attr->cFuncs; ++i) {
        FuncDesc f(info.Get(), i);
        if (!f.desc) continue;
        for (auto& p : out)
            if (p.id == f.desc->memid) {
                p.put = p.put || f.desc->invkind == INVOKE_PROPERTYPUT;
                p.putRef = p.putRef || f.desc->invkind == INVOKE_PROPERTYPUTREF;
            }
    }
    return S_OK;
}

std::wstring ErrorText(HRESULT hr, EXCEPINFO* exception) {
    if (exception && exception->pfnDeferredFillIn) exception->pfnDeferredFillIn(exception);
    if (exception && exception->bstrDescription && SysStringLen(exception->bstrDescription))
        return TextOf(exception->bstrDescription).data();
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        Bstr description;
        if (SUCCEEDED(info->GetDescription(description.put())) && !description.str().empty()) return description.str();
    }
    wchar_t* text = nullptr;
    std::wstring out;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr) &&
        text) {
        out = text;
        LocalFree(text);
        while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
    }
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return out.empty() ? std::wstring(L"error ") + code : out + L" (" + code + L")";
}

HRESULT GetProperty(IDispatch* control, DISPID id, Variant& value, std::wstring& error) {
    DISPPARAMS none{};
    return Invoke(control, id, DISPATCH_PROPERTYGET, none, &value, error);
}

HRESULT PutProperty(IDispatch* control, const PropertyInfo& property, const Variant& value, std::wstring& error) {
    VARIANT arg = *value.get(); // the callee copies what it keeps
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    bool byReference = property.putRef && (!property.put || value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN);
    return Invoke(control, property.id, byReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, params, nullptr,
                  error);
}

HRESULT CallMethod(IDispatch* control, const wchar_t* name, std::wstring& error) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return error = ErrorText(hr, nullptr), hr;
    DISPPARAMS none{};
    Variant ignored;
    return Invoke(control, id, DISPATCH_METHOD, none, &ignored, error);
}

bool ValueFromVariant(const VARIANT& given, bool color, Value& out) {
    Variant value;
    if (FAILED(VariantCopyInd(value.get(), const_cast<VARIANT*>(&given)))) return false;
    const VARIANT& v = *value.get();
    out = Value{};
    switch (v.vt) {
    case VT_BSTR:
        out.kind = Value::Kind::String;
        out.text = Narrow(TextOf(v.bstrVal));
        return true;
    case VT_BOOL:
        out.kind = Value::Kind::Bool;
        out.flag = v.boolVal != VARIANT_FALSE;
        return true;
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: {
        Variant real;
        if (FAILED(value.As(VT_R8, real))) return false;
        out.kind = Value::Kind::Real;
        out.real = real.get()->dblVal;
        return std::isfinite(out.real);
    }
    case VT_I1: case VT_I2: case VT_I4: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT: {
        Variant wide;
        if (FAILED(value.As(VT_I8, wide))) return false;
        out.integer = wide.get()->llVal;
        // The bits of an OLE_COLOR; a number past a long's range as a real, which reads back whole.
        if (color) out.kind = Value::Kind::Color, out.integer &= 0xFFFFFFFF;
        else if (out.integer > INT32_MAX) out.kind = Value::Kind::Real, out.real = static_cast<double>(out.integer);
        return true;
    }
    case VT_DISPATCH: case VT_UNKNOWN: {
        ComPtr<IFont> font;
        if (!v.punkVal || FAILED(v.punkVal->QueryInterface(IID_PPV_ARGS(&font)))) return false;
        Bstr name;
        CY size{};
        BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
        SHORT charset = 0;
        font->get_Name(name.put());
        font->get_Size(&size);
        font->get_Bold(&bold);
        font->get_Italic(&italic);
        font->get_Underline(&underline);
        font->get_Strikethrough(&strike);
        font->get_Charset(&charset);
        out.kind = Value::Kind::Font;
        out.font.name = Narrow(name.str());
        out.font.size = static_cast<double>(size.int64) / 10000.0;
        out.font.bold = bold, out.font.italic = italic, out.font.underline = underline, out.font.strikethrough = strike;
        out.font.charset = charset;
        return true;
    }
    default: return false;
    }
}

std::wstring DisplayText(const VARIANT& value, bool color) {
    Value v;
    if (ValueFromVariant(value, color, v)) return Widen(FormatValue(v));
    VARTYPE type = value.vt & ~VT_BYREF;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) {
        bool none = value.vt & VT_BYREF ? !value.ppunkVal || !*value.ppunkVal : !value.punkVal;
        return none ? L"Nothing" : L"(object)";
    }
    return type == VT_EMPTY ? L"Empty" : L"(type " + std::to_wstring(type) + L")";
}

HRESULT VariantFromValue(const Value& value, Variant& out) {
    switch (value.kind) {
    case Value::Kind::Integer: out = Variant::I4(static_cast<LONG>(value.integer)); return S_OK;
    case Value::Kind::Color: out = Variant::I4(static_cast<LONG>(static_cast<uint32_t>(value.integer))); return S_OK;
    case Value::Kind::Real:
        out.put()->vt = VT_R8;
        out.get()->dblVal = value.real;
        return S_OK;
    case Value::Kind::Bool: out = Variant::Bool(value.flag); return S_OK;
    case Value::Kind::String: out = Variant::Str(Widen(value.text)); return S_OK;
    case Value::Kind::Font: {
        FontSpec spec;
        spec.name = Widen(value.font.name);
        spec.points = static_cast<float>(value.font.size);
        spec.bold = value.font.bold, spec.italic = value.font.italic, spec.underline = value.font.underline;
        spec.strikethrough = value.font.strikethrough;
        spec.charset = static_cast<BYTE>(value.font.charset);
        ComPtr<IFont> font = MakeFont(spec);
        RETURN_HR_IF_NULL(E_OUTOFMEMORY, font);
        ComPtr<IDispatch> dispatch;
        RETURN_IF_FAILED(font.As(&dispatch));
        out.put()->vt = VT_DISPATCH;
        out.get()->pdispVal = dispatch.Detach();
        return S_OK;
    }
    case Value::Kind::Object: {
        // The object comes back from its class and saved bytes as the runtime's stored properties do.
        CLSID clsid;
        RETURN_IF_FAILED(CLSIDFromString(Widen(value.text).c_str(), &clsid));
        persist::Entry entry;
        entry.type = persist::kObject;
        const auto* id = reinterpret_cast<const uint8_t*>(&clsid);
        entry.data.assign(id, id + sizeof clsid);
        entry.data.insert(entry.data.end(), value.bytes.begin(), value.bytes.end());
        return VariantFromEntry(entry, out.put());
    }
    }
    return E_INVALIDARG;
}

HRESULT ParseTyped(const PropertyInfo& property, const std::wstring& text, Variant& out, std::wstring& error) {
    std::string why;
    auto value = ParseValue(Narrow(text), &why);
    // Plain text for a text property needs no quotes.
    if (property.typeName == L"BSTR" && (!value || value->kind != Value::Kind::String)) {
        out = Variant::Str(text);
        return S_OK;
    }
    if (!value) {
        error = Widen(why);
        return DISP_E_TYPEMISMATCH;
    }
    HRESULT hr = VariantFromValue(*value, out);
    if (FAILED(hr)) error = ErrorText(hr, nullptr);
    return hr;
}

} // namespace gallery
