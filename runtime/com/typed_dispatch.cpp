#include "com/typed_dispatch.h"

#include "com/com.h"

#include <vector>

namespace {

// A FUNCDESC held for the length of a call.
class Function {
public:
    Function(ITypeInfo* info, FUNCDESC* desc) : info_(info), desc_(desc) {}
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;
    ~Function() { info_->ReleaseFuncDesc(desc_); }
    const FUNCDESC* operator->() const { return desc_; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_;
};

// The member ITypeInfo::Invoke would run: the interface's first own function of that id and one of the kinds
// asked for. Inherited and restricted functions (IUnknown's, IDispatch's) are no automation members.
HRESULT FindFunction(ITypeInfo* info, DISPID id, WORD flags, FUNCDESC** out) {
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(info->GetTypeAttr(&attr));
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    for (UINT i = 0; i < attr->cFuncs && hr == DISP_E_MEMBERNOTFOUND; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc))) continue;
        if (desc->memid == id && (desc->invkind & flags) && !(desc->wFuncFlags & FUNCFLAG_FRESTRICTED)) {
            *out = desc;
            hr = S_OK;
        } else {
            info->ReleaseFuncDesc(desc);
        }
    }
    info->ReleaseTypeAttr(attr);
    return hr;
}

// What a parameter takes: a VARTYPE (VT_DISPATCH or VT_UNKNOWN for an object), by reference or not, and for
// an interface the type library declares, its IID.
struct ParamType {
    VARTYPE vt = VT_EMPTY;
    bool byRef = false;
    IID iid = GUID_NULL;
};

// pointers: the VT_PTR levels above `type`. An interface's own pointer is no reference; a pointer to any
// value, or to an interface pointer, is one.
HRESULT Resolve(ITypeInfo* info, const TYPEDESC& type, int pointers, ParamType& out) {
    if (type.vt == VT_PTR) return Resolve(info, *type.lptdesc, pointers + 1, out);
    VARTYPE vt = type.vt;
    if (vt == VT_USERDEFINED) {
        ComPtr<ITypeInfo> ref;
        TYPEATTR* attr = nullptr;
        RETURN_IF_FAILED(info->GetRefTypeInfo(type.hreftype, &ref));
        RETURN_IF_FAILED(ref->GetTypeAttr(&attr));
        HRESULT hr = S_OK;
        if (attr->typekind == TKIND_ALIAS) {
            hr = Resolve(ref.Get(), attr->tdescAlias, pointers, out);
            pointers = -1; // resolved
        } else if (attr->typekind == TKIND_ENUM) {
            vt = VT_I4;
        } else if ((attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE) && pointers > 0) {
            const bool dispatch = attr->typekind == TKIND_DISPATCH || (attr->wTypeFlags & TYPEFLAG_FDUAL);
            vt = dispatch ? VT_DISPATCH : VT_UNKNOWN;
            out.iid = attr->guid;
            --pointers; // the interface pointer itself
        } else {
            hr = DISP_E_BADVARTYPE; // records and the like: taken by no member of this runtime
        }
        ref->ReleaseTypeAttr(attr);
        if (FAILED(hr) || pointers < 0) return hr;
    }
    if (pointers > 1 || vt == VT_SAFEARRAY || vt == VT_CARRAY) return DISP_E_BADVARTYPE;
    out.vt = vt;
    out.byRef = pointers == 1;
    return S_OK;
}

// A reference to nothing, or a variant that refers on to another reference: nothing safe to read.
bool Unreadable(const VARIANTARG& arg) {
    if (!V_ISBYREF(&arg)) return false;
    if (!V_BYREF(&arg)) return true;
    return V_VT(&arg) == (VT_BYREF | VT_VARIANT) && V_ISBYREF(V_VARIANTREF(&arg));
}

// Brings an argument to its parameter's type: `value` owns the converted value, `out` is what the member
// gets. The caller's own reference of the exact type passes as it is, so that an [in, out] writes back to it.
HRESULT Convert(const VARIANTARG& in, ParamType type, VARIANT& value, VARIANTARG& out) {
    if (Unreadable(in)) return DISP_E_TYPEMISMATCH;
    if (type.byRef && V_VT(&in) == (VT_BYREF | type.vt) && type.iid == GUID_NULL) {
        out = in;
        return S_OK;
    }
    RETURN_IF_FAILED(VariantCopyInd(&value, const_cast<VARIANTARG*>(&in)));
    if (type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN) {
        // No value turns into an object (an empty or null one would reach the member as a null pointer).
        if (V_VT(&value) != VT_DISPATCH && V_VT(&value) != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
        // The member calls the interface it declares: an object without it is of the wrong type.
        const IID& iid = type.iid != GUID_NULL    ? type.iid
                         : type.vt == VT_DISPATCH ? IID_IDispatch
                                                  : IID_IUnknown;
        if (V_UNKNOWN(&value)) {
            IUnknown* typed = nullptr;
            if (FAILED(V_UNKNOWN(&value)->QueryInterface(iid, reinterpret_cast<void**>(&typed))))
                return DISP_E_TYPEMISMATCH;
            V_UNKNOWN(&value)->Release();
            V_UNKNOWN(&value) = typed;
        }
        V_VT(&value) = type.vt;
    } else if (type.vt != VT_VARIANT) {
        RETURN_IF_FAILED(VariantChangeType(&value, &value, 0, type.vt));
    }
    if (!type.byRef) {
        out = value;
    } else {
        V_VT(&out) = VT_BYREF | type.vt;
        if (type.vt == VT_VARIANT)
            V_VARIANTREF(&out) = &value;
        else if (type.vt == VT_DECIMAL)
            out.pdecVal = &V_DECIMAL(&value); // the whole variant
        else
            V_BYREF(&out) = &V_I4(&value); // where the union starts
    }
    return S_OK;
}

IID InterfaceOf(ITypeInfo* info) {
    IID iid = GUID_NULL;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
        iid = attr->guid;
        info->ReleaseTypeAttr(attr);
    }
    return iid;
}

HRESULT Fail(HRESULT hr, UINT arg, UINT* argError) {
    if (argError) *argError = arg;
    return hr;
}

} // namespace

HRESULT InvokeTyped(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                    VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (!params || (params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs)
        return E_INVALIDARG;
    FUNCDESC* desc = nullptr;
    RETURN_IF_FAILED(FindFunction(info, id, flags, &desc));
    const Function f(info, desc);

    return NoThrow([&] {
        // What a caller passes: neither the return value nor the locale, which ITypeInfo::Invoke supplies.
        std::vector<const ELEMDESC*> declared;
        for (SHORT i = 0; i < f->cParams; ++i)
            if (!(f->lprgelemdescParam[i].paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)))
                declared.push_back(&f->lprgelemdescParam[i]);
        const UINT count = static_cast<UINT>(declared.size());
        const bool put = f->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);

        // A put's only name is DISPID_PROPERTYPUT, for its value (the last parameter); any other member's
        // names are the positions of its parameters.
        std::vector<int> argOf(count, -1); // each parameter's index in rgvarg
        for (UINT j = 0; j < params->cNamedArgs; ++j) {
            const DISPID name = params->rgdispidNamedArgs[j];
            const bool known = put ? count && name == DISPID_PROPERTYPUT : name >= 0 && UINT(name) < count;
            if (!known) return Fail(DISP_E_PARAMNOTFOUND, j, argError);
        }
        if (params->cArgs > count) return DISP_E_BADPARAMCOUNT;
        // Positional arguments come after the named ones, last first.
        const UINT positional = params->cArgs - params->cNamedArgs;
        for (UINT k = 0; k < positional; ++k)
            argOf[k] = static_cast<int>(params->cArgs - 1 - k);
        for (UINT j = 0; j < params->cNamedArgs; ++j) {
            const DISPID name = params->rgdispidNamedArgs[j];
            const UINT p = name == DISPID_PROPERTYPUT ? count - 1 : UINT(name);
            if (argOf[p] >= 0) return Fail(DISP_E_PARAMNOTFOUND, j, argError); // given twice
            argOf[p] = static_cast<int>(j);
        }

        std::vector<VARIANTARG> args(params->cArgs);
        std::vector<Variant> values(params->cArgs);
        for (UINT p = 0; p < count; ++p) {
            const USHORT paramFlags = declared[p]->paramdesc.wParamFlags;
            const bool optional = (paramFlags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) ||
                                  (f->cParamsOpt > 0 && p + f->cParamsOpt >= count);
            if (argOf[p] < 0) {
                if (optional) continue;
                return DISP_E_BADPARAMCOUNT;
            }
            const UINT a = static_cast<UINT>(argOf[p]);
            const VARIANTARG& in = params->rgvarg[a];
            if (V_VT(&in) == VT_ERROR && V_ERROR(&in) == DISP_E_PARAMNOTFOUND) { // left out by the caller
                if (!optional) return Fail(DISP_E_PARAMNOTOPTIONAL, a, argError);
                args[a] = in;
                continue;
            }
            ParamType type;
            HRESULT hr = Resolve(info, declared[p]->tdesc, 0, type);
            if (SUCCEEDED(hr)) hr = Convert(in, type, *values[a].put(), args[a]);
            // An overflow stays one (what scripts show for 300 as a byte); every other failure is a mismatch.
            if (FAILED(hr)) return Fail(hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH, a, argError);
        }

        // Always with an EXCEPINFO: a member's failure is then known by its status even where the caller
        // passed none, and gets a description where the member left none.
        DISPPARAMS checked{args.data(), params->rgdispidNamedArgs, params->cArgs, params->cNamedArgs};
        EXCEPINFO own{};
        EXCEPINFO* filled = exception ? exception : &own;
        const HRESULT hr =
            info->Invoke(instance, id, static_cast<WORD>(f->invkind), &checked, result, filled, argError);
        if (hr != DISP_E_EXCEPTION) return hr;
        if (!filled->bstrDescription) filled->bstrDescription = ErrorText(filled->scode);
        if (exception) return hr;
        // Nowhere to describe it: the status itself, and the thread's error object says why.
        const HRESULT status = FAILED(own.scode) ? own.scode : hr;
        ReportError(status, InterfaceOf(info), TextOf(own.bstrDescription));
        SysFreeString(own.bstrSource);
        SysFreeString(own.bstrDescription);
        SysFreeString(own.bstrHelpFile);
        return status;
    });
}
