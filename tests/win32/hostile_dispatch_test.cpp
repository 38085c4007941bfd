// Every member of every control invoked as a careless or hostile late-bound client calls it (wrong counts,
// unknown names, values of every wrong kind, by value and by reference): no call may crash, hang or leave
// the control unusable, and the dispatch protocol's own errors come back exactly.
#include "class_table.h"
#include "com_test_support.h"
#include "services/font.h"
#include "test_support.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
using namespace test;

// A user who cancels every dialog at once, and a shell that shows nothing.
class CancellingPlatform : public RecordingPlatform {
public:
    BOOL GetOpenFileName(OPENFILENAMEW*) override { return FALSE; }
    BOOL GetSaveFileName(OPENFILENAMEW*) override { return FALSE; }
    PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW*) override { return nullptr; }
    BOOL GetPathFromIDList(PCIDLIST_ABSOLUTE, wchar_t*) override { return FALSE; }
    BOOL ChooseColor(CHOOSECOLORW*) override { return FALSE; }
    BOOL ChooseFont(CHOOSEFONTW*) override { return FALSE; }
    BOOL NotifyIcon(DWORD, NOTIFYICONDATAW*) override { return FALSE; }
};

// One FUNCDESC of a control's dual interface, as much as a caller needs to know.
struct Member {
    std::string name;
    MEMBERID id;
    INVOKEKIND kind;
    UINT params = 0;         // arguments a caller passes (not the return value)
    bool object = false;     // one of them takes an object
    bool restricted = false; // IUnknown's and IDispatch's own: no automation member
};

bool TakesObject(ITypeInfo* info, const TYPEDESC& type) {
    if (type.vt == VT_PTR) return TakesObject(info, *type.lptdesc);
    if (type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN) return true;
    if (type.vt != VT_USERDEFINED) return false;
    ComPtr<ITypeInfo> ref;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetRefTypeInfo(type.hreftype, &ref)) || FAILED(ref->GetTypeAttr(&attr))) return false;
    const bool object = attr->typekind == TKIND_ALIAS ? TakesObject(ref.Get(), attr->tdescAlias)
                                                      : attr->typekind != TKIND_ENUM;
    ref->ReleaseTypeAttr(attr);
    return object;
}

// The members of a control's dual interface, and the interface's id.
std::vector<Member> MembersOf(IDispatch* control, IID& dual) {
    std::vector<Member> members;
    ComPtr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(control->GetTypeInfo(0, 0, &info), S_OK);
    if (!info || FAILED(info->GetTypeAttr(&attr))) return members;
    dual = attr->guid;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        Bstr name;
        info->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
        Member m{Narrow(name.str()), f->memid, f->invkind};
        m.restricted = f->wFuncFlags & FUNCFLAG_FRESTRICTED;
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& e = f->lprgelemdescParam[p];
            if (e.paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID)) continue;
            ++m.params;
            m.object |= TakesObject(info.Get(), e.tdesc);
        }
        members.push_back(m);
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    return members;
}

// What a shape must give, whatever the member does with what reaches it.
enum class Expect {
    Any,         // success, or any failure
    Fails,       // some failure
    NoArgs,      // success or failure where the member takes no argument, else DISP_E_BADPARAMCOUNT
    TooMany,     // DISP_E_BADPARAMCOUNT
    UnknownName, // DISP_E_PARAMNOTFOUND
    Mismatch,    // DISP_E_TYPEMISMATCH (or DISP_E_BADPARAMCOUNT for a member without arguments)
    Omitted,     // DISP_E_PARAMNOTOPTIONAL (or DISP_E_BADPARAMCOUNT for a member without arguments)
    ObjectOnly,  // a non-object: DISP_E_TYPEMISMATCH where an object is taken
};
enum class Pass { Value, TypedRef, VariantRef };

struct Shape {
    const char* name;
    Variant value;
    Expect expect;
    bool refsToo = true; // also by reference, typed and as a variant
};

Variant Typed(VARTYPE vt, void (*fill)(VARIANT&)) {
    Variant v;
    v.put()->vt = vt;
    fill(*v.get());
    return v;
}

std::vector<Shape> Shapes(IDispatch* object) {
    Variant dispatch = Variant::Object(object);
    dispatch.get()->vt = VT_DISPATCH; // the same pointer: the object is given as its IDispatch
    return {
        {"no arguments", Variant(), Expect::NoArgs, false},
        {"one too many", Variant::I4(1), Expect::TooMany, false},
        {"an unknown name", Variant::I4(1), Expect::UnknownName, false},
        {"no DISPPARAMS", Variant(), Expect::Fails, false},
        {"a reference to nothing", Typed(VT_BYREF | VT_I4, [](VARIANT& v) { V_I4REF(&v) = nullptr; }),
         Expect::Mismatch, false},
        {"an omitted argument", Typed(VT_ERROR, [](VARIANT& v) { V_ERROR(&v) = DISP_E_PARAMNOTFOUND; }),
         Expect::Omitted, false},
        {"empty", Variant(), Expect::ObjectOnly},
        {"null", Typed(VT_NULL, [](VARIANT&) {}), Expect::ObjectOnly},
        {"a text that is no number", Variant::Str(L"twelve"), Expect::ObjectOnly},
        {"a null text", Typed(VT_BSTR, [](VARIANT& v) { V_BSTR(&v) = nullptr; }), Expect::ObjectOnly},
        {"a small number", Variant::I4(7), Expect::ObjectOnly},
        {"300, past a byte", Variant::I4(300), Expect::ObjectOnly},
        {"70000, past a short", Variant::I4(70000), Expect::ObjectOnly},
        {"-1, below a colour", Variant::I4(-1), Expect::ObjectOnly},
        {"1e30, past everything", Typed(VT_R8, [](VARIANT& v) { V_R8(&v) = 1e30; }), Expect::ObjectOnly},
        {"true", Variant::Bool(true), Expect::ObjectOnly},
        {"an array",
         Typed(VT_ARRAY | VT_I4, [](VARIANT& v) { V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 3); }),
         Expect::ObjectOnly},
        {"an object", dispatch, Expect::Any},
        {"a null object", Typed(VT_DISPATCH, [](VARIANT& v) { V_DISPATCH(&v) = nullptr; }), Expect::Any},
    };
}

// The call as a client makes it: last argument first, a put's value named DISPID_PROPERTYPUT.
struct Call {
    std::vector<Variant> values; // what typed references point into
    std::vector<VARIANT> args;
    std::vector<DISPID> names;
    DISPPARAMS params{};
    UINT argError = ~0u;

    Call(const Member& m, const Shape& s, Pass pass) {
        const bool put = m.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
        UINT count = s.expect == Expect::NoArgs ? 0 : s.expect == Expect::TooMany ? m.params + 1 : m.params;
        if (count == 0 && s.expect != Expect::NoArgs) count = 1; // the wrong value, where none is taken
        values.assign(count, s.value);
        for (Variant& v : values) {
            VARIANT a = *v.get(); // values owns what it holds
            if (pass == Pass::TypedRef) {
                a.vt = VT_BYREF | v.type();
                a.byref = &V_I4(v.get()); // every member of the union starts there
            } else if (pass == Pass::VariantRef) {
                a.vt = VT_BYREF | VT_VARIANT;
                a.pvarVal = v.get();
            }
            args.push_back(a);
        }
        if (s.expect == Expect::UnknownName)
            names.push_back(0x7654);
        else if (put && count && s.expect != Expect::TooMany)
            names.push_back(DISPID_PROPERTYPUT);
        params = {args.data(), names.empty() ? nullptr : names.data(), count,
                  static_cast<UINT>(names.size())};
    }
};

// The outcome a shape must have on a member; S_OK where any success or failure will do.
HRESULT Required(Expect expect, const Member& m) {
    const bool none = m.params == 0;
    if (m.restricted) return expect == Expect::Fails ? S_OK : DISP_E_MEMBERNOTFOUND;
    switch (expect) {
    case Expect::NoArgs:
        return none ? S_OK : DISP_E_BADPARAMCOUNT;
    case Expect::TooMany:
        return DISP_E_BADPARAMCOUNT;
    case Expect::UnknownName:
        return DISP_E_PARAMNOTFOUND;
    case Expect::Mismatch:
        return none ? DISP_E_BADPARAMCOUNT : DISP_E_TYPEMISMATCH;
    case Expect::Omitted:
        return none ? DISP_E_BADPARAMCOUNT : DISP_E_PARAMNOTOPTIONAL;
    case Expect::ObjectOnly:
        return none ? DISP_E_BADPARAMCOUNT : m.object ? DISP_E_TYPEMISMATCH : S_OK;
    default:
        return S_OK;
    }
}

class HostileDispatch : public LibraryTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(HostileDispatch, EveryMemberCalledWronglyFailsCleanlyOrSucceeds) {
    CancellingPlatform platform;
    PlatformOverride useIt(platform);
    const ControlClass& cls = ControlClasses[GetParam()];
    ComPtr<IDispatch> control;
    ASSERT_EQ(cls.create(IID_PPV_ARGS(&control)), S_OK);
    ComPtr<ISupportErrorInfo> supports;
    ASSERT_EQ(control.As(&supports), S_OK);
    // Any object will do where one is taken; this one is also a font and a second control for a splitter.
    ComPtr<IDispatch> other;
    ASSERT_EQ(MakeFont({L"Tahoma", 8}).As(&other), S_OK);

    IID dual{};
    const auto members = MembersOf(control.Get(), dual);
    ASSERT_FALSE(members.empty());
    const auto shapes = Shapes(other.Get());
    int calls = 0;
    for (const Member& m : members) {
        for (const Shape& s : shapes) {
            for (Pass pass : {Pass::Value, Pass::TypedRef, Pass::VariantRef}) {
                if (pass != Pass::Value && !s.refsToo) continue;
                Call call(m, s, pass);
                const char* passed[] = {"by value", "by typed reference", "by variant reference"};
                const std::string what = m.name + " (kind " + std::to_string(m.kind) + ") with " + s.name +
                                         " passed " + passed[static_cast<int>(pass)];
                Variant result;
                // Half the calls without an EXCEPINFO, as C++ callers make them: the error object tells.
                const bool withException = calls++ % 2 == 0;
                EXCEPINFO exception{};
                SetErrorInfo(0, nullptr);
                const HRESULT hr =
                    control->Invoke(m.id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(m.kind),
                                    s.expect == Expect::Fails ? nullptr : &call.params, result.put(),
                                    withException ? &exception : nullptr, &call.argError);
                ComPtr<IErrorInfo> error;
                const bool errorSet = GetErrorInfo(0, &error) == S_OK && error;
                const bool described = exception.bstrDescription && *exception.bstrDescription;
                for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile})
                    SysFreeString(text);

                EXPECT_TRUE(hr == S_OK || FAILED(hr)) << what << ": " << std::hex << hr;
                EXPECT_TRUE(s.expect != Expect::Fails || FAILED(hr)) << what;
                const HRESULT exact = Required(s.expect, m);
                EXPECT_TRUE(exact == S_OK || hr == exact) << what << ": " << std::hex << hr;
                if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_PARAMNOTFOUND ||
                    hr == DISP_E_PARAMNOTOPTIONAL) {
                    EXPECT_LT(call.argError, call.params.cArgs) << what; // names the argument at fault
                }
                // A member that failed on its own tells the caller why.
                if (hr == DISP_E_EXCEPTION ||
                    (FAILED(hr) && HRESULT_FACILITY(hr) != FACILITY_DISPATCH && s.expect != Expect::Fails)) {
                    EXPECT_EQ(supports->InterfaceSupportsErrorInfo(dual), S_OK);
                    if (withException) {
                        EXPECT_EQ(hr, DISP_E_EXCEPTION) << what;
                        EXPECT_TRUE(FAILED(exception.scode)) << what;
                        EXPECT_TRUE(described) << what;
                    } else {
                        EXPECT_TRUE(errorSet) << what << ": " << std::hex << hr;
                    }
                }
            }
        }
    }
    std::printf("%ls: %d calls\n", cls.name, calls);

    // Still a working control: an ordinary property takes a value and gives it back.
    const std::map<std::wstring, std::pair<const wchar_t*, Variant>> probes = {
        {L"FolderBrowser", {L"Text", Variant::Str(L"C:\\windows")}},
        {L"FileBrowser", {L"Title", Variant::Str(L"Pick one")}},
        {L"ColorBrowser", {L"SelectedColor", Variant::I4(0x123456)}},
        {L"ColorButton", {L"SelectedColor", Variant::I4(0x00FF00)}},
        {L"ColorSelector", {L"SelectedColor", Variant::I4(5)}},
        {L"Hyperlink", {L"Caption", Variant::Str(L"Home")}},
        {L"Splitter", {L"SplitPercent", Variant::I4(33)}},
        {L"FontBrowser", {L"BackColor", Variant::I4(0x0000FF)}},
        {L"Label3D", {L"Caption", Variant::Str(L"Still here")}},
        {L"TrayArea", {L"ToolTip", Variant::Str(L"Still here")}},
    };
    const auto& [property, value] = probes.at(cls.name);
    ASSERT_EQ(PutProperty(control.Get(), property, value), S_OK) << Narrow(property);
    Variant got, same;
    ASSERT_EQ(GetProperty(control.Get(), property, got), S_OK);
    ASSERT_EQ(got.As(value.type(), same), S_OK);
    EXPECT_EQ(VarCmp(same.get(), const_cast<VARIANT*>(value.get()), LOCALE_USER_DEFAULT, 0),
              static_cast<HRESULT>(VARCMP_EQ))
        << Narrow(property);
}

INSTANTIATE_TEST_SUITE_P(AllControls, HostileDispatch, ::testing::Range<size_t>(0, ControlClassCount),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return Narrow(ControlClasses[info.param].name);
                         });

} // namespace
