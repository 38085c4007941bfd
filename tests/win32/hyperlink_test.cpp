// Hyperlink in-process: persistence through the three interfaces, events, the shell call, hosting.
#include "control_test_support.h"
#include "hyperlink.h"

#include <tuple>

namespace {
using namespace test;
using namespace std::string_literals;

constexpr OLE_COLOR kBlue = 0x00FF0000;
constexpr wchar_t kAddress[] = L"https://quendral.example/palix";

Hyperlink& Cpp(IUnknown* object) {
    return Implementation<Hyperlink, _Hyperlink>(object);
}

template <class Interface> ComPtr<Interface> As(const ComPtr<IUnknown>& object) {
    ComPtr<Interface> out;
    EXPECT_EQ(object.As(&out), S_OK);
    return out;
}

ComPtr<IFont> TahomaBold() {
    return MakeFont({L"Tahoma", 9.75f, true, false, false, false, ANSI_CHARSET});
}

// Every property at a value other than its default.
Values Everything() {
    return {{L"BackColor", Variant::I4(0)},         {L"ForeColor", Variant::I4(kBlue)},
            {L"Enabled", Variant::Bool(false)},     {L"Font", Variant::Object(TahomaBold().Get())},
            {L"BackStyle", Variant::I2(0)},         {L"BorderStyle", Variant::I2(1)},
            {L"Hyperlink", Variant::Str(kAddress)}, {L"Caption", Variant::Str(L"Quendral")}};
}

ComPtr<IUnknown> WithEverything() {
    auto h = New(CreateHyperlink);
    PutAll(h.Get(), Everything());
    return h;
}

void ExpectEverything(IUnknown* h) {
    ExpectAll(h, Everything());
    EXPECT_EQ(FontOf(h)->IsEqual(TahomaBold().Get()), S_OK);
}

using HyperlinkTest = LibraryTest;

// Stored keys are found in any case; a value of the wrong type fails the load.
TEST_F(HyperlinkTest, PropertyBagKeepsEveryValueOmitsDefaultsAndReadsKeysInAnyCase) {
    EXPECT_TRUE(Keys(Saved(Loaded(CreateHyperlink).Get()).Get()).empty());
    auto bag = Saved(WithEverything().Get());
    EXPECT_EQ(Keys(bag.Get()),
              (std::vector<std::wstring>{L"BackColor", L"ForeColor", L"Enabled", L"Font", L"BackStyle",
                                         L"BorderStyle", L"Hyperlink", L"Caption"}));
    auto loaded = Loaded(CreateHyperlink, bag.Get());
    ExpectEverything(loaded.Get());
    EXPECT_EQ(Load(loaded.Get(), bag.Get()), E_UNEXPECTED) << "loaded twice";

    const auto font = MakeFont({L"MS Sans Serif", 9.75f, true, false, false, false, 177});
    const Values stored = {{L"_extentx", Variant::I4(5953)},       {L"_extenty", Variant::I4(450)},
                           {L"backcolor", Variant::I4(0)},         {L"forecolor", Variant::I4(kBlue)},
                           {L"font", Variant::Object(font.Get())}, {L"hyperlink", Variant::Str(kAddress)},
                           {L"caption", Variant::Str(kAddress)}};
    auto h = Loaded(CreateHyperlink, Bag(stored).Get());
    ExpectAll(h.Get(), Values(stored.begin() + 2, stored.end())); // all but the extent, which the size shows
    EXPECT_EQ(std::pair(Cpp(h.Get()).Width(), Cpp(h.Get()).Height()), std::pair(3375, 255));
    EXPECT_EQ(Load(New(CreateHyperlink).Get(), Bag({{L"BackColor", Variant::Str(L"blue")}}).Get()),
              DISP_E_TYPEMISMATCH);
}

// The same bytes from either architecture, so that each reads what the other saved: the block depends on
// neither pointer size nor alignment.
TEST_F(HyperlinkTest, StreamAndStorageKeepEveryValueAndADamagedStreamIsRefusedWithoutHarm) {
    const std::string pinned =
        "4458504201007501000008005f0045007800740065006e0074005800030004000000060d000008005f00450078007400"
        "65006e0074005900030004000000a701000009004200610063006b0043006f006c006f00720003000400000000000000"
        "090046006f007200650043006f006c006f0072000300040000000000ff00070045006e00610062006c00650064000b00"
        "020000000000040046006f006e0074000d00210000000352e30b918fce119de300aa004bb85101000000bc02dc7c0100"
        "065461686f6d6109004200610063006b005300740079006c00650002000200000000000b0042006f0072006400650072"
        "005300740079006c00650002000200000001000900480079007000650072006c0069006e006b0008003c000000680074"
        "007400700073003a002f002f007100750065006e006400720061006c002e006500780061006d0070006c0065002f0070"
        "0061006c00690078000700430061007000740069006f006e000800100000005100750065006e006400720061006c00";
    auto a = WithEverything();
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
    auto b = New(CreateHyperlink);
    ASSERT_EQ(As<IPersistStreamInit>(b)->Load(stream.Get()), S_OK);
    ExpectEverything(b.Get());
    char tail[4];
    stream->Read(tail, 4, &read);
    EXPECT_EQ(std::string(tail, read), "tail");
    // Cut short inside the caption: refused, and the design value kept.
    stream->SetSize(ULARGE_INTEGER{{static_cast<DWORD>(pinned.size() / 2 - 3), 0}});
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto damaged = New(CreateHyperlink);
    EXPECT_TRUE(FAILED(As<IPersistStreamInit>(damaged)->Load(stream.Get())));
    EXPECT_EQ(TextProperty(damaged.Get(), L"Caption"), L"Label1");

    ComPtr<IStorage> storage;
    const DWORD mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE;
    ASSERT_EQ(StgCreateDocfile(nullptr, mode, 0, &storage), S_OK);
    ASSERT_EQ(As<IPersistStorage>(a)->Save(storage.Get(), FALSE), S_OK);
    auto c = New(CreateHyperlink);
    ASSERT_EQ(As<IPersistStorage>(c)->Load(storage.Get()), S_OK);
    ExpectEverything(c.Get());
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
    STDMETHODIMP OnChanged(DISPID id) override { return changed.push_back(id), S_OK; }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

TEST_F(HyperlinkTest, APutTellsTheContainerAndMakesTheControlDirty) {
    auto h = Loaded(CreateHyperlink);
    const auto persist = As<IPersistStreamInit>(h);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(As<IConnectionPointContainer>(h)->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
    ChangeSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    PutAll(h.Get(), {{L"Caption", Variant::Str(L"x")}, {L"ForeColor", Variant::I4(kBlue)}});
    EXPECT_EQ(sink.changed, (std::vector<DISPID>{0x6803000B, 0x68030010}));
    EXPECT_EQ(persist->IsDirty(), S_OK);
    // A value the label refuses fails the put and reports nothing.
    EXPECT_TRUE(FAILED(PutProperty(h.Get(), L"BorderStyle", Variant::I2(7))));
    EXPECT_EQ(sink.changed.size(), 2u);
    point->Unadvise(cookie);
}

// Our container tells design from run mode and names the control; one without ambient properties (Wine's
// atl.dll) means run mode and the system font.
TEST_F(HyperlinkTest, AmbientPropertiesFromEachContainer) {
    HostForm form;
    ActiveXControl designed(form, L"Hyperlink1"), running(form, L"Hyperlink2");
    designed.SetUserMode(false);
    ASSERT_EQ(designed.Create(New(CreateHyperlink).Get(), {}), S_OK);
    ASSERT_EQ(running.Create(New(CreateHyperlink).Get(), {}), S_OK);
    EXPECT_EQ(std::pair(Cpp(designed.Object()).Ambient().UserMode, Cpp(running.Object()).Ambient().UserMode),
              std::pair(false, true));
    Variant name;
    EXPECT_EQ(Cpp(running.Object()).Extender(L"name", name), S_OK);
    EXPECT_STREQ(name.get()->bstrVal, L"Hyperlink2");

    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_TRUE(atl);
    auto init =
        reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    auto attach = reinterpret_cast<HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**)>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
    ASSERT_TRUE(init && attach && init());
    HWND host = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, form.hWnd(),
                                nullptr, nullptr, nullptr);
    auto h = New(CreateHyperlink);
    ASSERT_EQ(attach(h.Get(), host, nullptr), S_OK);
    Pump();
    const auto ambient = Cpp(h.Get()).Ambient();
    EXPECT_EQ(std::pair(ambient.UserMode, bool(ambient.Font)), std::pair(true, true));
    DestroyWindow(host);
    Pump();
}

std::vector<DISPID> Ids(const EventSink& sink) {
    std::vector<DISPID> ids;
    for (const auto& e : sink.events)
        ids.push_back(e.id);
    return ids;
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

    RecordingPlatform platform;
    Control* label = nullptr;
};

TEST_F(ActiveHyperlink, AClickAnywhereRaisesClickToEverySinkThenOpensTheAddress) {
    EventSink second;
    ASSERT_EQ(second.Connect(Object(), DIID___Hyperlink), S_OK);
    const RECT r = SurfaceOf(*label).area;
    EXPECT_EQ(r.right - r.left, 225) << "the label covers the whole control";
    ClickLabelAt(r.right - r.left - 2, r.bottom - r.top - 2); // right of the text
    second.Disconnect();
    EXPECT_EQ(Ids(sink), (std::vector<DISPID>{6, 8, 1}));
    EXPECT_EQ(Ids(second), Ids(sink));
    ASSERT_EQ(platform.shellCalls.size(), 1u);
    // The folder is the program's own.
    const auto& call = platform.shellCalls[0];
    EXPECT_EQ(
        std::tuple(call.owner, call.operation, call.file, call.parameters, call.directory + L"\\", call.show),
        std::tuple(site->hWnd(), L"Open"s, std::wstring(kAddress), L""s, BinFolder(), SW_SHOWNORMAL));

    // Mouse arguments: left button, no shift, position in twips of the label.
    const auto& args = sink.events[0].args;
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(std::pair(args[0].get()->iVal, args[1].get()->iVal), (std::pair<SHORT, SHORT>(1, 0)));
    EXPECT_FLOAT_EQ(args[2].get()->fltVal, (r.right - r.left - 2) * (1440.0f / 96));
}

TEST_F(ActiveHyperlink, KeysRaiseKeyEventsButOpenNothingThePointerIsTheHandAndDisabledItTakesNoInput) {
    // Enter, as the keyboard delivers it: down, the character it makes, up.
    PostMessageW(site->hWnd(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump();
    PostMessageW(site->hWnd(), WM_KEYUP, VK_RETURN, 0xC01C0001);
    Pump();
    ASSERT_EQ(Ids(sink), (std::vector<DISPID>{3, 4, 5}));
    EXPECT_EQ(std::pair(sink.events[0].args[0].get()->iVal, sink.events[1].args[0].get()->iVal),
              (std::pair<SHORT, SHORT>(VK_RETURN, '\r')));

    // The pointer: the hand, its hot spot at the fingertip.
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const auto on = SurfaceOf(*label);
    const POINT over = on.OnScreen(3, 3);
    SetCursorPos(over.x, over.y);
    SendMessageW(on.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(on.window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HCURSOR cursor = GetCursor();
    ASSERT_NE(cursor, LoadCursorW(nullptr, IDC_ARROW));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_EQ(std::pair(info.xHotspot, info.yHotspot), std::pair(7ul, 3ul));
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    sink.events.clear();
    ASSERT_EQ(PutProperty(Object(), L"Enabled", Variant::Bool(false)), S_OK);
    ClickLabelAt(3, 3);
    PostMessageW(site->hWnd(), WM_KEYDOWN, 'A', 0);
    Pump();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_TRUE(platform.shellCalls.empty());
}

} // namespace
