// TrayArea through the platform seam: the shell's records, the callback's events, restarts, persistence.
#include "control_test_support.h"
#include "services/picture.h"
#include "tray_area.h"

#include <cstring>
#include <memory>

namespace {
using namespace test;
using namespace std::string_literals;

constexpr auto& Cpp = Implementation<TrayArea, _TrayArea>;

// The shell's side of the seam: every call written down and answered yes, or by the real shell when asked.
class NotifyRecorder : public Platform {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAW record;
    };
    std::vector<Call> calls;
    bool real = false;
    std::vector<BOOL> answers; // the real shell's
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
        calls.push_back({message, *data});
        if (real) answers.push_back(Platform::NotifyIcon(message, data));
        return real ? answers.back() : TRUE;
    }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> m;
        for (const auto& c : calls) m.push_back(c.message);
        return m;
    }
};

Variant AnIcon() {
    return Variant::Object(PictureFromIcon(LoadIconW(nullptr, IDI_APPLICATION), false).Get());
}

constexpr UINT kAllFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
std::pair<UINT, std::wstring> FlagsAndTip(const NOTIFYICONDATAW& r) { return {r.uFlags, r.szTip}; }

class TrayAreaTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        tray = Loaded(CreateTrayArea);
    }
    void TearDown() override {
        tray.Reset();
        LibraryTest::TearDown();
    }
    HRESULT SetVisible(bool visible) { return PutProperty(tray.Get(), L"Visible", Variant::Bool(visible)); }

    NotifyRecorder shell;
    PlatformOverride useIt{shell};
    ComPtr<IUnknown> tray;
};

TEST_F(TrayAreaTest, TheAddRecordHoldsExactlyWhatTheShellNeeds) {
    ASSERT_EQ(PutProperty(tray.Get(), L"Icon", AnIcon(), true), S_OK);
    ASSERT_EQ(PutProperty(tray.Get(), L"ToolTip", Variant::Str(L"  Quendral tray  ")), S_OK);
    shell.calls.clear();
    ASSERT_EQ(SetVisible(true), S_OK);
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD}));

    const NOTIFYICONDATAW& got = shell.calls[0].record;
    ASSERT_TRUE(got.uID >= 1 && got.uID <= 65535) << got.uID;
    NOTIFYICONDATAW want{};
    want.cbSize = kNotifyIconV1RecordSize;
    want.hWnd = Cpp(tray.Get()).hWnd();
    want.uID = got.uID;
    want.uFlags = kAllFlags;
    want.uCallbackMessage = WM_MOUSEMOVE;
    want.hIcon = LoadIconW(nullptr, IDI_APPLICATION); // the picture holds the system's shared icon
    wmemset(want.szTip, L' ', 64);
    wcscpy(want.szTip, L"Quendral tray");
    EXPECT_EQ(std::memcmp(&got, &want, kNotifyIconV1RecordSize), 0) << "the wide record, 64-character tip";
}

TEST_F(TrayAreaTest, VisibleAddsOnceAndEachAddTakesANewIdentifier) {
    for (bool visible : {true, true, false, false, true})
        ASSERT_EQ(SetVisible(visible), S_OK);
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD, NIM_DELETE, NIM_ADD}));
    EXPECT_EQ(shell.calls[1].record.uID, shell.calls[0].record.uID) << "the delete finds what was added";
    EXPECT_NE(shell.calls[2].record.uID, shell.calls[0].record.uID);
    // A new control's icon is an empty picture: added with no image.
    EXPECT_EQ(shell.calls[0].record.uFlags, UINT(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(shell.calls[0].record.hIcon, nullptr);

    // The instance's end takes the icon away with the record of the last add.
    const UINT last = shell.calls[2].record.uID;
    tray.Reset();
    ASSERT_EQ(shell.Messages().back(), DWORD(NIM_DELETE));
    EXPECT_EQ(shell.calls.back().record.uID, last);
}

TEST_F(TrayAreaTest, IconAndTipChangesGoToTheShellAndNoIconRemovesIt) {
    ASSERT_EQ(SetVisible(true), S_OK);
    ASSERT_EQ(PutProperty(tray.Get(), L"Icon", AnIcon(), true), S_OK);
    ASSERT_EQ(shell.calls.back().message, DWORD(NIM_MODIFY));
    EXPECT_EQ(shell.calls.back().record.uFlags, UINT(NIF_ICON));
    EXPECT_NE(shell.calls.back().record.hIcon, nullptr);

    ASSERT_EQ(PutProperty(tray.Get(), L"ToolTip", Variant::Str(std::wstring(63, L'b') + L"c")), S_OK);
    EXPECT_EQ(FlagsAndTip(shell.calls.back().record), (std::pair{UINT(NIF_TIP), std::wstring(63, L'b')}))
        << "cut so that the zero fits";

    shell.calls.clear();
    ASSERT_EQ(PutProperty(tray.Get(), L"Icon", Dispatch(nullptr), true), S_OK);
    EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
    EXPECT_EQ(NumberProperty(tray.Get(), L"Visible"), 0);
}

TEST_F(TrayAreaTest, TheShellsCallbackMessagesBecomeEvents) {
    EventSink sink;
    ASSERT_EQ(sink.Connect(tray.Get(), DIID___TrayArea), S_OK);
    for (LPARAM action : {512, 513, 514, 515, 516, 517, 518, 519, 520, 521})
        PostMessageW(Cpp(tray.Get()).hWnd(), WM_MOUSEMOVE, 4711, action);
    Pump();
    sink.Disconnect();
    std::vector<std::pair<DISPID, short>> got;
    for (const auto& e : sink.events) got.emplace_back(e.id, e.args.empty() ? 0 : e.args[0].get()->iVal);
    EXPECT_EQ(got, (std::vector<std::pair<DISPID, short>>{{1, 0}, {2, 1}, {3, 1}, {4, 0}, {2, 2}, {3, 2}, {4, 0}}));
}

TEST_F(TrayAreaTest, ARestartedShellGetsTheIconBackUnderItsIdentifier) {
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    Pump();
    EXPECT_TRUE(shell.calls.empty()) << "nothing shown, nothing to give back";

    ASSERT_EQ(PutProperty(tray.Get(), L"ToolTip", Variant::Str(L"tip")), S_OK);
    ASSERT_EQ(SetVisible(true), S_OK);
    const NOTIFYICONDATAW added = shell.calls.back().record;
    ASSERT_EQ(PutProperty(tray.Get(), L"ToolTip", Variant::Str(L"later")), S_OK);
    shell.calls.clear();
    // The shell announces itself to top-level windows; the control's own window hears it too.
    PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    Pump();
    PostMessageW(Cpp(tray.Get()).hWnd(), taskbarCreated, 0, 0);
    Pump();
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    EXPECT_EQ(shell.calls[0].record.uID, added.uID);
    EXPECT_EQ(FlagsAndTip(shell.calls[0].record), (std::pair{kAllFlags, L"later"s}));
}

TEST_F(TrayAreaTest, PersistsItsThreeKeysAndLoadingShowsNoIcon) {
    EXPECT_TRUE(Keys(Saved(tray.Get()).Get()) == (std::vector<std::wstring>{L"Icon"})) << "the empty picture";
    PutAll(tray.Get(), {{L"Icon", AnIcon()},
                        {L"ToolTip", Variant::Str(L"Saved")},
                        {L"Visible", Variant::Bool(true)}});
    auto bag = Saved(tray.Get());
    EXPECT_EQ(Keys(bag.Get()), (std::vector<std::wstring>{L"Icon", L"ToolTip", L"Visible"}));

    shell.calls.clear();
    auto loaded = Loaded(CreateTrayArea, bag.Get());
    EXPECT_TRUE(shell.calls.empty());
    ExpectAll(loaded.Get(), {{L"Visible", Variant::Bool(true)}, {L"ToolTip", Variant::Str(L"Saved")}});
    Variant picture;
    ASSERT_EQ(GetProperty(loaded.Get(), L"Icon", picture), S_OK);
    EXPECT_EQ(NumberProperty(picture.get()->pdispVal, L"Type"), PICTYPE_ICON);

    // The host shows it by setting Visible, even though the loaded value already says true.
    ASSERT_EQ(PutProperty(loaded.Get(), L"Visible", Variant::Bool(true)), S_OK);
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_ADD}));
    EXPECT_EQ(FlagsAndTip(shell.calls[0].record), (std::pair{kAllFlags, L"Saved"s}));
}

TEST_F(TrayAreaTest, AtRunTimeItStaysOutOfTheFormAndADesignerSeesItsIcon) {
    HostForm form;
    ShowWindow(form.hWnd(), SW_SHOWNA);
    ActiveXControl running(form, L"TrayArea1");
    ASSERT_EQ(running.Create(New(CreateTrayArea).Get(), {}), S_OK);
    const HWND runningWindow = Cpp(running.Object()).hWnd();
    EXPECT_NE(GetParent(runningWindow), form.hWnd());
    EXPECT_FALSE(IsWindowVisible(runningWindow));

    ActiveXControl designed(form, L"TrayArea2");
    designed.SetUserMode(false);
    designed.Move(0, 0, 2000, 2000);
    ASSERT_EQ(designed.Create(New(CreateTrayArea).Get(), {}), S_OK);
    EXPECT_FALSE(GetWindowLongW(designed.hWnd(), GWL_STYLE) & WS_TABSTOP) << "a control never UI-activated";
    EXPECT_EQ(PlaceOf(designed.hWnd()), (RECT{0, 0, 32, 32})) << "the image's size";
    EXPECT_GT(Snapshot(designed.hWnd()).Count(Shown(0x00FFFF)), 50) << "the yellow tip of the design icon";
    ASSERT_EQ(PutProperty(designed.Object(), L"Visible", Variant::Bool(true)), S_OK);
    EXPECT_TRUE(shell.calls.empty()) << "a designer adds no icon";
}

TEST_F(TrayAreaTest, TheRealShellTakesTheWideRecord) {
    shell.real = true;
    PutAll(tray.Get(), {{L"Icon", AnIcon()},
                        {L"Visible", Variant::Bool(true)},
                        {L"ToolTip", Variant::Str(L"Quendral")},
                        {L"Visible", Variant::Bool(false)}});
    tray.Reset();
    // Added, changed, removed; the instance's end then finds nothing left to remove.
    EXPECT_EQ(shell.answers, (std::vector<BOOL>{TRUE, TRUE, TRUE, FALSE}));
}

} // namespace
