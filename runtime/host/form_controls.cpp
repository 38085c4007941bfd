#include "host/form_controls.h"

#include "com/com.h"
#include "intrinsics/control.h"
#include "com/named_dispatch.h"

#include <vector>

namespace {
// A control's entry holds its window, not the control: a button that has gone since answers with an error.
CommandButton* ButtonOf(HWND hwnd) {
    return dynamic_cast<CommandButton*>(Control::FromHandle(hwnd));
}

HRESULT MakeEntry(HWND hwnd, ComPtr<NamedDispatch>& entry) {
    RETURN_IF_FAILED(NamedDispatch::Create(&entry));
    if (!ButtonOf(hwnd)) return S_OK;
    return entry->AddProperty(
        L"Cancel",
        [hwnd](VARIANT* r) {
            CommandButton* button = ButtonOf(hwnd);
            RETURN_HR_IF_NULL(RPC_E_DISCONNECTED, button);
            r->vt = VT_BOOL;
            r->boolVal = button->Cancel() ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        },
        [hwnd](const VARIANT& v) {
            CommandButton* button = ButtonOf(hwnd);
            RETURN_HR_IF_NULL(RPC_E_DISCONNECTED, button);
            Variant value;
            RETURN_IF_FAILED(VariantChangeType(value.put(), const_cast<VARIANT*>(&v), 0, VT_BOOL));
            button->SetCancel(value.get()->boolVal != VARIANT_FALSE);
            return S_OK;
        });
}
} // namespace

HRESULT MakeFormControls(HWND form, IDispatch** collection) {
    if (!collection) return E_POINTER;
    *collection = nullptr;
    return NoThrow([&] {
        std::vector<ComPtr<NamedDispatch>> entries;
        for (HWND w = form ? GetWindow(form, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (!Control::FromHandle(w)) continue;
            ComPtr<NamedDispatch> entry;
            RETURN_IF_FAILED(MakeEntry(w, entry));
            entries.push_back(std::move(entry));
        }
        ComPtr<NamedDispatch> controls;
        RETURN_IF_FAILED(NamedDispatch::Create(&controls));
        const LONG count = static_cast<LONG>(entries.size());
        RETURN_IF_FAILED(controls->AddProperty(L"Count", [count](VARIANT* r) {
            r->vt = VT_I4;
            r->lVal = count;
            return S_OK;
        }));
        RETURN_IF_FAILED(controls->AddMethod(
            L"Item",
            [entries](DISPPARAMS* params, VARIANT* r) {
                if (params->cArgs != 1) return static_cast<HRESULT>(DISP_E_BADPARAMCOUNT);
                Variant index;
                RETURN_IF_FAILED(VariantChangeType(index.put(), &params->rgvarg[0], 0, VT_I4));
                const LONG i = index.get()->lVal;
                if (i < 0 || i >= static_cast<LONG>(entries.size()))
                    return static_cast<HRESULT>(DISP_E_BADINDEX);
                r->vt = VT_DISPATCH;
                r->pdispVal = entries[static_cast<size_t>(i)].Get();
                r->pdispVal->AddRef();
                return S_OK;
            },
            DISPID_VALUE));
        *collection = controls.Detach();
        return S_OK;
    });
}
