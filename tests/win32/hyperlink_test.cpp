// Hyperlink in-process: persistence through the three interfaces, events, the shell call, hosting.
#include "com_test_support.h"
#include "host/control_site.h"
#include "dravlix.h"
#include "hyperlink.h"
#include "persist/property_bag.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {
using namespace test;

constexpr OLE_COLOR kBlue = 0x00FF0000;
constexpr wchar_t kAddress[] = L"https://quendral.example/palix";

ComPtr<IUnknown> NewHyperlink() {
    ComPtr<IUnknown> object;
    EXPECT_EQ(CreateHyperlink(IID_PPV_ARGS(&object)), S_OK);
    return object;
}

Hyperlink& Cpp(IUnknown* object) {
    ComPtr<_Hyperlink> dual;
    object->QueryInterface(IID_PPV_ARGS(&dual));
    return *static_cast<Hyperlink*>(dual.Get());
}

ComPtr<IFont> TahomaBold() {
    return MakeFont({L"Tahoma", 9.75f, true, false, false, false, ANSI_CHARSET});
}

using Values = std::vector<std::pair<const wchar_t*, Variant>>;
// Every property at a value other than its default, in the order the control saves them.
const Values kEverything = {{L"BackColor", Variant::I4(0)},      {L"ForeColor", Variant::I4(kBlue)},
                            {L"Enabled", Variant::Bool(false)},  {L"BackStyle", Variant::I2(0)},
                            {L"BorderStyle", Variant::I2(1)},    {L"Hyperlink", Variant::Str(kAddress)},
                            {L"Caption", Variant::Str(L"Quendral")}};

void ExpectValues(IUnknown* h, const Values& values) {
    for (const auto& [name, expected] : values) {
        Variant got, same;
        ASSERT_EQ(GetProperty(h, name, got), S_OK) << Narrow(name);
        ASSERT_EQ(got.As(expected.type(), same), S_OK) << Narrow(name);
        EXPECT_EQ(VarCmp(same.get(), const_cast<VARIANT*>(expected.get()), LOCALE_USER_DEFAULT, 0), VARCMP_EQ)
            << Narrow(name);
    }
}

void SetEverything(IUnknown* h) {
    for (const auto& [name, value] : kEverything)
        ASSERT_EQ(PutProperty(h, name, value), S_OK) << Narrow(name);
    ASSERT_EQ(PutProperty(h, L"Font", Variant::Object(TahomaBold().Get()), true), S_OK);
}

void ExpectEverything(IUnknown* h) {
    ExpectValues(h, kEverything);
    Variant font;
    ComPtr<IFont> f;
    ASSERT_EQ(GetProperty(h, L"Font", font), S_OK);
    ASSERT_EQ(font.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&f)), S_OK);
    EXPECT_EQ(f->IsEqual(TahomaBold().Get()), S_OK);
}

template <class Interface> ComPtr<Interface> As(const ComPtr<IUnknown>& object) {
    ComPtr<Interface> out;
    EXPECT_EQ(object.As(&out), S_OK);
    return out;
}

ComPtr<MemoryPropertyBag> Bag(const std::vector<persist::Entry>& entries = {}) {
    ComPtr<MemoryPropertyBag> bag;
    EXPECT_EQ(MemoryPropertyBag::Create(entries, &bag), S_OK);
    return bag;
}

std::vector<std::wstring> Keys(MemoryPropertyBag* bag) {
    std::vector<std::wstring> keys;
    for (const auto& e : bag->entries()) keys.emplace_back(e.key.begin(), e.key.end());
    return keys;
}

using HyperlinkTest = LibraryTest;

TEST_F(HyperlinkTest, NewInstanceShowsItsDesignValues) {
    ExpectValues(NewHyperlink().Get(), {{L"Caption", Variant::Str(L"Label1")},
                                        {L"Hyperlink", Variant::Str(L"Label2")},
                                        {L"BackColor", Variant::I4(static_cast<LONG>(0x8000000F))},
                                        {L"ForeColor", Variant::I4(static_cast<LONG>(0x80000012))},
                                        {L"Enabled", Variant::Bool(true)},
                                        {L"BackStyle", Variant::I2(1)},
                                        {L"BorderStyle", Variant::I2(0)}});
}

TEST_F(HyperlinkTest, PropertyBagKeepsEveryValueAndOmitsDefaults) {
    auto a = NewHyperlink();
    const auto persist = As<IPersistPropertyBag>(a);
    ASSERT_EQ(persist->InitNew(), S_OK);
    const auto defaults = Bag(), bag = Bag();
    ASSERT_EQ(persist->Save(defaults.Get(), TRUE, TRUE), S_OK);
    EXPECT_EQ(Keys(defaults.Get()), (std::vector<std::wstring>{L"_ExtentX", L"_ExtentY"}));

    SetEverything(a.Get());
    ASSERT_EQ(persist->Save(bag.Get(), TRUE, TRUE), S_OK);
    EXPECT_EQ(Keys(bag.Get()), (std::vector<std::wstring>{L"_ExtentX", L"_ExtentY", L"BackColor", L"ForeColor",
                                                           L"Enabled", L"Font", L"BackStyle", L"BorderStyle",
                                                           L"Hyperlink", L"Caption"}));
    auto b = NewHyperlink();
    const auto loader = As<IPersistPropertyBag>(b);
    ASSERT_EQ(loader->Load(bag.Get(), nullptr), S_OK);
    ExpectEverything(b.Get());
    EXPECT_EQ(loader->Load(bag.Get(), nullptr), E_UNEXPECTED) << "loaded twice";
}

// The same bytes from either architecture, so that each reads what the other saved: the block depends on
// neither pointer size nor alignment.
TEST_F(HyperlinkTest, StreamAndStorageKeepEveryValue) {
    const std::string pinned =
        "4458504201007501000008005f0045007800740065006e0074005800030004000000060d000008005f00450078007400"
        "65006e0074005900030004000000a701000009004200610063006b0043006f006c006f00720003000400000000000000"
        "090046006f007200650043006f006c006f0072000300040000000000ff00070045006e00610062006c00650064000b00"
        "020000000000040046006f006e0074000d00210000000352e30b918fce119de300aa004bb85101000000bc02dc7c0100"
        "065461686f6d6109004200610063006b005300740079006c00650002000200000000000b0042006f0072006400650072"
        "005300740079006c00650002000200000001000900480079007000650072006c0069006e006b0008003c000000680074"
        "007400700073003a002f002f007100750065006e006400720061006c002e006500780061006d0070006c0065002f0070"
        "0061006c00690078000700430061007000740069006f006e000800100000005100750065006e006400720061006c00";
    auto a = NewHyperlink();
    SetEverything(a.Get());

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const auto saver = As<IPersistStreamInit>(a);
    EXPECT_EQ(saver->IsDirty(), S_OK);
    ASSERT_EQ(saver->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(saver->IsDirty(), S_FALSE);
    EXPECT_EQ(Hex(StreamBytes(stream.Get())), pinned);
    // A stream may go on after the control's part: the loader reads exactly its own bytes.
    ULONG written, read = 0;
    stream->Write("tail", 4, &written);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto b = NewHyperlink();
    ASSERT_EQ(As<IPersistStreamInit>(b)->Load(stream.Get()), S_OK);
    ExpectEverything(b.Get());
    char tail[4];
    stream->Read(tail, 4, &read);
    EXPECT_EQ(std::string(tail, read), "tail");

    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> storage;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           &storage),
              S_OK);
    ASSERT_EQ(As<IPersistStorage>(a)->Save(storage.Get(), FALSE), S_OK);
    auto c = NewHyperlink();
    ASSERT_EQ(As<IPersistStorage>(c)->Load(storage.Get()), S_OK);
    ExpectEverything(c.Get());
}

TEST_F(HyperlinkTest, DamagedStreamIsRefusedWithoutHarm) {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>(NewHyperlink())->Save(stream.Get(), TRUE), S_OK);
    ULARGE_INTEGER size{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &size);
    // Cut the saved bytes short: the loader must say so and keep its design values.
    stream->SetSize(ULARGE_INTEGER{{static_cast<DWORD>(size.QuadPart - 3), 0}});
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto b = NewHyperlink();
    EXPECT_TRUE(FAILED(As<IPersistStreamInit>(b)->Load(stream.Get())));
    EXPECT_EQ(TextProperty(b.Get(), L"Caption"), L"Label1");
}

TEST_F(HyperlinkTest, StoredKeysAreFoundInAnyCaseAndWrongTypesFail) {
    std::vector<persist::Entry> entries;
    auto put = [&](const wchar_t* key, const Variant& v) {
        persist::Entry e;
        ASSERT_EQ(EntryFromVariant(key, *v.get(), e), S_OK);
        entries.push_back(e);
    };
    put(L"_extentx", Variant::I4(5953));
    put(L"_extenty", Variant::I4(450));
    put(L"backcolor", Variant::I4(0));
    put(L"forecolor", Variant::I4(kBlue));
    put(L"font", Variant::Object(MakeFont({L"MS Sans Serif", 9.75f, true, false, false, false, 177}).Get()));
    put(L"hyperlink", Variant::Str(kAddress));
    put(L"caption", Variant::Str(kAddress));
    auto h = NewHyperlink();
    ASSERT_EQ(As<IPersistPropertyBag>(h)->Load(Bag(entries).Get(), nullptr), S_OK);
    ExpectValues(h.Get(), {{L"Caption", Variant::Str(kAddress)},
                           {L"Hyperlink", Variant::Str(kAddress)},
                           {L"ForeColor", Variant::I4(kBlue)},
                           {L"BackColor", Variant::I4(0)}});
    EXPECT_EQ(Cpp(h.Get()).Width(), 3375);
    EXPECT_EQ(Cpp(h.Get()).Height(), 255);

    entries.clear();
    put(L"BackColor", Variant::Str(L"blue"));
    EXPECT_EQ(As<IPersistPropertyBag>(NewHyperlink())->Load(Bag(entries).Get(), nullptr),
              DISP_E_TYPEMISMATCH);
}

// An activated hyperlink on a form of ours, its events recorded and the shell replaced.
class ActiveHyperlink : public HostedControl {
protected:
    void SetUp() override {
        Host(CreateHyperlink, DIID___Hyperlink, &platform, L"Hyperlink1", 3375, 255,
             {{L"hyperlink", Variant::Str(kAddress)}, {L"caption", Variant::Str(L"go")}});
        label = WindowlessChild(Cpp(Object()), 1);
        ASSERT_TRUE(label);
    }
    void ClickLabelAt(int x, int y) {
        const auto on = SurfaceOf(*label);
        PostMessageW(on.window, WM_LBUTTONDOWN, MK_LBUTTON, on.At(x, y));
        PostMessageW(on.window, WM_LBUTTONUP, 0, on.At(x, y));
        Pump();
    }
    std::vector<DISPID> Ids() const {
        std::vector<DISPID> ids;
        for (const auto& e : sink.events) ids.push_back(e.id);
        return ids;
    }

    RecordingPlatform platform;
    Control* label = nullptr;
};

TEST_F(ActiveHyperlink, AClickAnywhereRaisesClickToEverySinkThenOpensTheAddress) {
    EventSink second;
    ASSERT_EQ(second.Connect(site->Object(), DIID___Hyperlink), S_OK);
    const RECT r = SurfaceOf(*label).area;
    EXPECT_EQ(r.right - r.left, 225) << "the label covers the whole control";
    ClickLabelAt(r.right - r.left - 2, r.bottom - r.top - 2); // right of the text
    second.Disconnect();
    EXPECT_EQ(Ids(), (std::vector<DISPID>{6, 8, 1}));
    ASSERT_EQ(second.events.size(), 3u);
    EXPECT_EQ(second.events[2].id, 1);
    ASSERT_EQ(platform.shellCalls.size(), 1u);
    const auto& call = platform.shellCalls[0];
    EXPECT_EQ(call.owner, site->hWnd());
    EXPECT_EQ(call.operation, L"Open");
    EXPECT_EQ(call.file, kAddress);
    EXPECT_EQ(call.parameters, L"");
    std::wstring folder = BinFolder();
    EXPECT_EQ(call.directory, folder.substr(0, folder.size() - 1));
    EXPECT_EQ(call.show, SW_SHOWNORMAL);

    // Mouse arguments: left button, no shift, position in twips of the label.
    ASSERT_EQ(sink.events[0].args.size(), 4u);
    EXPECT_EQ(sink.events[0].args[0].get()->iVal, 1);
    EXPECT_EQ(sink.events[0].args[1].get()->iVal, 0);
    EXPECT_FLOAT_EQ(sink.events[0].args[2].get()->fltVal, (r.right - r.left - 2) * (1440.0f / 96));
}

TEST_F(ActiveHyperlink, KeysRaiseKeyEventsButOpenNothingAndDisabledItTakesNoInput) {
    // Enter, as the keyboard delivers it: down, the character it makes, up.
    PostMessageW(site->hWnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump();
    PostMessageW(site->hWnd(), WM_KEYUP, VK_RETURN, 0xC01C0001);
    Pump();
    ASSERT_EQ(Ids(), (std::vector<DISPID>{3, 4, 5}));
    EXPECT_EQ(sink.events[0].args[0].get()->iVal, VK_RETURN);
    EXPECT_EQ(sink.events[1].args[0].get()->iVal, '\r');

    sink.events.clear();
    ASSERT_EQ(PutProperty(site->Object(), L"Enabled", Variant::Bool(false)), S_OK);
    ClickLabelAt(3, 3);
    PostMessageW(site->hWnd(), WM_KEYDOWN, 'A', 0);
    Pump();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_TRUE(platform.shellCalls.empty());
}

TEST_F(ActiveHyperlink, ThePointerIsTheHandWithItsHotSpotAtTheFingertip) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const auto on = SurfaceOf(*label);
    const POINT over = on.OnScreen(3, 3);
    SetCursorPos(over.x, over.y);
    SendMessageW(on.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(on.window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR cursor = GetCursor();
    ASSERT_NE(cursor, LoadCursorW(nullptr, IDC_ARROW));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(info.xHotspot, 7u);
    EXPECT_EQ(info.yHotspot, 3u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

// Tells which properties a control reports as changed.
class ChangeSink final : public IPropertyNotifySink {
public:
    std::vector<DISPID> changed;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IPropertyNotifySink ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(HyperlinkTest, APutTellsTheContainerAndMakesTheControlDirty) {
    auto h = NewHyperlink();
    const auto persist = As<IPersistStreamInit>(h);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(As<IConnectionPointContainer>(h)->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
    ChangeSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    ASSERT_EQ(PutProperty(h.Get(), L"Caption", Variant::Str(L"x")), S_OK);
    ASSERT_EQ(PutProperty(h.Get(), L"ForeColor", Variant::I4(kBlue)), S_OK);
    EXPECT_EQ(sink.changed, (std::vector<DISPID>{0x6803000B, 0x68030010}));
    EXPECT_EQ(persist->IsDirty(), S_OK);
    // A value the label refuses fails the put and reports nothing.
    EXPECT_TRUE(FAILED(PutProperty(h.Get(), L"BorderStyle", Variant::I2(7))));
    EXPECT_EQ(sink.changed.size(), 2u);
    point->Unadvise(cookie);
}

TEST_F(HyperlinkTest, AContainerWithoutAmbientPropertiesMeansRunModeAndTheSystemFont) {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_TRUE(atl);
    using Init = BOOL(WINAPI*)();
    using Attach = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
    ASSERT_TRUE(reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")))());
    auto attach = reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
    ASSERT_TRUE(attach);
    {
        HostForm form;
        HWND host = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, form.hWnd(), nullptr,
                                    nullptr, nullptr);
        ASSERT_TRUE(host);
        auto h = NewHyperlink();
        ASSERT_EQ(attach(h.Get(), host, nullptr), S_OK);
        Pump();
        auto ambient = Cpp(h.Get()).Ambient();
        EXPECT_TRUE(ambient.UserMode);
        ASSERT_TRUE(ambient.Font);
        DestroyWindow(host);
        Pump();
    }
}

TEST(HyperlinkSite, DesignModeSiteMeansUserModeFalse) {
    OleInitialize(nullptr);
    {
        HostForm form;
        ActiveXControl site(form, L"Hyperlink1");
        site.SetUserMode(false);
        ASSERT_EQ(site.Create(NewHyperlink().Get(), {}), S_OK);
        EXPECT_FALSE(Cpp(site.Object()).Ambient().UserMode);
        ActiveXControl running(form, L"Hyperlink2");
        ASSERT_EQ(running.Create(NewHyperlink().Get(), {}), S_OK);
        EXPECT_TRUE(Cpp(running.Object()).Ambient().UserMode);
        Variant name;
        EXPECT_EQ(Cpp(running.Object()).Extender(L"name", name), S_OK);
        EXPECT_STREQ(name.get()->bstrVal, L"Hyperlink2");
    }
    EXPECT_EQ(Module::LockCount(), 0);
    OleUninitialize();
}

} // namespace
