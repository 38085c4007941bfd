#include "com/named_dispatch.h"

#include "com/com.h"
#include "com/module.h"

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr WORD kScriptGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// One call the way a script engine makes it: arguments last-first, a put's value named DISPID_PROPERTYPUT.
struct Call {
    ~Call() {
        for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
            SysFreeString(text);
    }
    HRESULT On(IDispatch* d, DISPID id, bool withException = true) {
        std::vector<VARIANT> raw;
        for (Variant& a : args)
            raw.push_back(*a.get());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{raw.data(), namedPut ? &put : nullptr, static_cast<UINT>(raw.size()),
                          namedPut ? 1u : 0u};
        return d->Invoke(id, IID_NULL, 0, flags, &params, result.put(), withException ? &exception : nullptr,
                         &argError);
    }
    WORD flags;
    std::vector<Variant> args = {};
    bool namedPut = false;
    UINT argError = ~0u;
    EXCEPINFO exception{};
    Variant result = {};
};

DISPID IdOf(IDispatch* d, const wchar_t* name) {
    DISPID id = 12345;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return d->GetIDsOfNames(IID_NULL, names, 1, 0, &id) == S_OK ? id : DISPID_UNKNOWN;
}

NamedDispatch::Getter Value(Variant v) {
    return [v](VARIANT* r) { return VariantCopy(r, const_cast<VARIANT*>(v.get())); };
}

// The extender a host offers a control placed on it.
struct Host {
    ComPtr<NamedDispatch> ext;
    std::shared_ptr<LONG> width = std::make_shared<LONG>(4800);
    std::shared_ptr<std::wstring> tip = std::make_shared<std::wstring>();

    Host() {
        NamedDispatch* raw = nullptr;
        EXPECT_EQ(NamedDispatch::Create(&raw), S_OK);
        ext = Adopt(raw);
        // In the order that numbers them: Name 1, Width 2, UserMode its own, ToolTipText 3, Grow 4.
        const HRESULT added[] = {
            ext->AddProperty(L"Name", Value(Variant::Str(L"Hyperlink1"))),
            ext->AddProperty(
                L"Width", [w = width](VARIANT* r) { return VariantCopy(r, Variant::I4(*w).get()); },
                [w = width](const VARIANT& v) {
                    Variant x;
                    if (FAILED(VariantChangeType(x.put(), const_cast<VARIANT*>(&v), 0, VT_I4)))
                        return DISP_E_TYPEMISMATCH;
                    if (V_I4(x.get()) < 0) return ReportError(E_INVALIDARG, IID_IDispatch, L"Negative width");
                    *w = V_I4(x.get());
                    return S_OK;
                }),
            ext->AddProperty(L"UserMode", Value(Variant::Bool(true)), nullptr, DISPID_AMBIENT_USERMODE),
            ext->AddProperty(
                L"ToolTipText", [t = tip](VARIANT* r) { return VariantCopy(r, Variant::Str(*t).get()); },
                [t = tip](const VARIANT& v) {
                    if (V_VT(&v) != VT_BSTR) return DISP_E_TYPEMISMATCH;
                    t->assign(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
                    return S_OK;
                }),
            ext->AddMethod(L"Grow",
                           [w = width](DISPPARAMS* p, VARIANT* r) {
                               if (p->cArgs != 1) return DISP_E_BADPARAMCOUNT;
                               if (V_VT(&p->rgvarg[0]) != VT_I4) return DISP_E_TYPEMISMATCH;
                               *w += V_I4(&p->rgvarg[0]);
                               return VariantCopy(r, Variant::I4(*w).get());
                           }),
        };
        for (HRESULT hr : added) EXPECT_EQ(hr, S_OK);
    }
};

TEST(NamedDispatch, ServesMembersAsAScriptReachesThemAndRefusesBadMembersAndCalls) {
    Host h;
    IDispatch* d = h.ext.Get();
    EXPECT_EQ((std::vector{IdOf(d, L"name"), IdOf(d, L"usermode"), IdOf(d, L"WIDTH"), IdOf(d, L"Grow")}),
              (std::vector<DISPID>{1, DISPID_AMBIENT_USERMODE, 2, 4}));

    Call userMode{DISPATCH_PROPERTYGET}; // ambient properties are invoked by DISPID alone
    ASSERT_EQ(userMode.On(d, DISPID_AMBIENT_USERMODE), S_OK);
    EXPECT_EQ(V_BOOL(userMode.result.get()), VARIANT_TRUE);

    Call name{kScriptGet};
    ASSERT_EQ(name.On(d, 1), S_OK);
    EXPECT_STREQ(V_BSTR(name.result.get()), L"Hyperlink1");

    // ext.ToolTipText = text, the variable passed by reference; the setter sees the plain string.
    BSTR text = SysAllocString(L"Tip");
    Call put{DISPATCH_PROPERTYPUT, {Variant()}, true};
    V_VT(put.args[0].get()) = VT_BSTR | VT_BYREF; // clearing a reference frees nothing
    V_BSTRREF(put.args[0].get()) = &text;
    EXPECT_EQ(put.On(d, IdOf(d, L"tooltiptext")), S_OK);
    EXPECT_EQ(*h.tip, L"Tip");
    SysFreeString(text);

    Call width{DISPATCH_PROPERTYPUT, {Variant::Str(L"1200")}, true};
    EXPECT_EQ(width.On(d, 2), S_OK);
    Call grow{DISPATCH_METHOD, {Variant::I4(5)}};
    ASSERT_EQ(grow.On(d, 4), S_OK);
    EXPECT_EQ(V_I4(grow.result.get()), 1205);
    DISPPARAMS noResult{grow.args[0].get(), nullptr, 1, 0};
    EXPECT_EQ(d->Invoke(4, IID_NULL, 0, kScriptGet, &noResult, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(*h.width, 1210);

    // Refused: a name or DISPID taken, no callback, no name; bad calls; a member's own failure described.
    EXPECT_EQ(h.ext->AddProperty(L"NAME", Value({})), E_INVALIDARG);
    EXPECT_EQ(h.ext->AddProperty(L"Other", Value({}), nullptr, 3), E_INVALIDARG);
    EXPECT_EQ(h.ext->AddProperty(L"Other", nullptr), E_INVALIDARG);
    EXPECT_EQ(h.ext->AddProperty(L"", Value({})), E_INVALIDARG);

    DISPID ids[2] = {7, 7};
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Grow"), const_cast<LPOLESTR>(L"by")};
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names + 1, 1, 0, ids), DISP_E_UNKNOWNNAME); // no member
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME); // nor an argument's name
    EXPECT_EQ(std::vector<DISPID>(ids, ids + 2), (std::vector<DISPID>{4, DISPID_UNKNOWN}));

    const Variant one = Variant::I4(1);
    const struct {
        DISPID id;
        Call call;
        HRESULT expected;
    } cases[] = {
        {99, {DISPATCH_PROPERTYGET}, DISP_E_MEMBERNOTFOUND},
        {1, {DISPATCH_PROPERTYGET, {one}}, DISP_E_BADPARAMCOUNT},
        {1, {DISPATCH_PROPERTYPUT, {one}, true}, DISP_E_MEMBERNOTFOUND}, // getter only
        {1, {DISPATCH_METHOD}, DISP_E_MEMBERNOTFOUND},                   // a property is no method
        {4, {DISPATCH_PROPERTYGET}, DISP_E_MEMBERNOTFOUND},              // a method is no property
        {2, {DISPATCH_PROPERTYPUT}, DISP_E_PARAMNOTOPTIONAL},
        {2, {DISPATCH_PROPERTYPUT, {one, one}, true}, DISP_E_BADPARAMCOUNT},
        {2, {DISPATCH_PROPERTYPUT, {one}}, S_OK}, // older callers leave the value unnamed
        {4, {DISPATCH_METHOD}, DISP_E_BADPARAMCOUNT},
    };
    for (auto c : cases)
        EXPECT_EQ(c.call.On(d, c.id), c.expected) << c.id << " " << c.call.flags << " " << c.call.args.size();

    Call mismatch{DISPATCH_PROPERTYPUT, {Variant::Str(L"wide")}, true};
    EXPECT_EQ(mismatch.On(d, 2), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(mismatch.argError, 0u);
    EXPECT_EQ(mismatch.exception.scode, 0);

    DISPPARAMS none{};
    EXPECT_EQ(d->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    UINT count = 9; // no type information: a caller must not ask for it
    EXPECT_EQ(d->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);

    const LONG kept = *h.width;
    Call negative{DISPATCH_PROPERTYPUT, {Variant::I4(-1)}, true};
    EXPECT_EQ(negative.On(d, 2), DISP_E_EXCEPTION);
    EXPECT_EQ(negative.exception.scode, E_INVALIDARG);
    EXPECT_STREQ(negative.exception.bstrDescription, L"Negative width");
    EXPECT_EQ(negative.On(d, 2, false), E_INVALIDARG); // nowhere to describe it: the status alone
    EXPECT_EQ(*h.width, kept);

    ReportError(E_FAIL, IID_IDispatch, L"stale"); // left over from earlier: must not describe a later failure
    const std::tuple<const wchar_t*, NamedDispatch::Method, HRESULT> failures[] = {
        {L"Fail", [](DISPPARAMS*, VARIANT*) -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {L"Throw", [](DISPPARAMS*, VARIANT*) -> HRESULT { throw 1; }, E_UNEXPECTED},
        {L"Plain", [](DISPPARAMS*, VARIANT*) { return E_FAIL; }, E_FAIL}};
    for (const auto& [member, method, scode] : failures) {
        ASSERT_EQ(h.ext->AddMethod(member, method), S_OK);
        Call c{DISPATCH_METHOD};
        EXPECT_EQ(c.On(d, IdOf(d, member)), DISP_E_EXCEPTION);
        EXPECT_EQ(c.exception.scode, scode);
        EXPECT_TRUE(!c.exception.bstrDescription || std::wstring(c.exception.bstrDescription) != L"stale");
    }
}

TEST(NamedDispatch, FreesItselfAndItsCallbacksAtTheLastRelease) {
    const LONG locks = Module::LockCount();
    auto state = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = state;
    long duringCall = 0;
    NamedDispatch* d = nullptr;
    ASSERT_EQ(NamedDispatch::Create(&d), S_OK);
    ASSERT_EQ(d->AddProperty(L"State", [state](VARIANT*) { return S_OK; }), S_OK);
    // A member may drop the caller's last reference and grow the table while it runs; the members live on
    // until the call is over.
    ASSERT_EQ(d->AddMethod(L"Close",
                           [d, state, watch, &duringCall](DISPPARAMS*, VARIANT*) {
                               d->Release();
                               for (int i = 0; i < 50; ++i)
                                   d->AddProperty(std::to_wstring(i).c_str(), [](VARIANT*) { return S_OK; });
                               duringCall = watch.use_count();
                               return S_OK;
                           }),
              S_OK);
    EXPECT_EQ(state.use_count(), 3); // ours and each callback's
    IDispatch* second = nullptr;
    ASSERT_EQ(d->QueryInterface(IID_PPV_ARGS(&second)), S_OK);
    EXPECT_EQ(second->Release(), 1u);

    Call close{DISPATCH_METHOD};
    EXPECT_EQ(close.On(d, IdOf(d, L"Close")), S_OK);
    EXPECT_GE(duringCall, 3);
    EXPECT_EQ(state.use_count(), 1);
    EXPECT_EQ(Module::LockCount(), locks);
}

} // namespace
