// The controls as a screen reader reads them: the gallery started as a user starts it and every control
// read through MSAA from this process, the colour drop-downs driven through their entries' actions; and in
// this process, an object that outlives its control.
#include "control_test_support.h"
#include "hyperlink.h"

#include <oleacc.h>

#include <map>
#include <tuple>

namespace {
using namespace test;

VARIANT Child(long id) {
    return *Variant::I4(id).get(); // a number owns nothing to free
}

ComPtr<IAccessible> ObjectOf(HWND hwnd) {
    ComPtr<IAccessible> object;
    EXPECT_EQ(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&object)), S_OK);
    return object;
}

// What a screen reader reads of one element; the count of children for an object only.
struct Read {
    long role = 0, state = 0, children = -1;
    std::wstring name, value, action;
    RECT place{};
};

Read ReadOf(IAccessible* object, long child = CHILDID_SELF) {
    Read read;
    Bstr name, value, action;
    Variant role, state;
    object->get_accName(Child(child), name.put());
    object->get_accValue(Child(child), value.put());
    object->get_accDefaultAction(Child(child), action.put());
    if (SUCCEEDED(object->get_accRole(Child(child), role.put())) && role.type() == VT_I4)
        read.role = role.get()->lVal;
    if (SUCCEEDED(object->get_accState(Child(child), state.put())) && state.type() == VT_I4)
        read.state = state.get()->lVal;
    long left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, Child(child));
    read.place = {left, top, left + width, top + height};
    read.name = name.str(), read.value = value.str(), read.action = action.str();
    if (child == CHILDID_SELF && FAILED(object->get_accChildCount(&read.children))) read.children = -1;
    return read;
}

// The child a screen reader finds at the middle of a place; -1 for none or another object.
long HitAt(IAccessible* object, const RECT& place) {
    Variant hit;
    const POINT middle{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    EXPECT_EQ(object->accHitTest(middle.x, middle.y, hit.put()), S_OK);
    return hit.type() == VT_I4 ? hit.get()->lVal : -1;
}

// The gallery in a process of its own, as a user starts it; its controls by the names a screen reader reads.
class GalleryFromOutside : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        const std::wstring exe = BinFolder() + L"DravlixGallery.exe";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, BinFolder().c_str(),
                                   &si, &gallery))
            << GetLastError();
        ASSERT_TRUE(
            WaitUntil([] { return (form = TopWindowOf(gallery.dwProcessId, L"RuntimeForm")) != nullptr; },
                      std::chrono::seconds(30)));
        std::vector<HWND> found;
        WaitUntil([&] {
            found.clear();
            EnumChildWindows(GetDesktopWindow(), CollectControls, reinterpret_cast<LPARAM>(&found));
            return found.size() >= 10;
        });
        oleaccBeforeAsked = !LoadedModule(gallery.dwProcessId, L"oleacc.dll").empty();
        for (HWND hwnd : found) {
            ComPtr<IAccessible> object = ObjectOf(hwnd);
            if (object) controls[ReadOf(object.Get()).name] = {hwnd, object};
        }
    }
    static void TearDownTestSuite() {
        controls.clear();
        if (gallery.hProcess) {
            PostMessageW(form, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(gallery.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(gallery.hProcess, 1);
            CloseHandle(gallery.hProcess);
            CloseHandle(gallery.hThread);
        }
        OleUninitialize();
    }
    // Every control window of the gallery, the parked ones (hidden, under no form) too.
    static BOOL CALLBACK CollectControls(HWND hwnd, LPARAM found) {
        DWORD owner = 0;
        wchar_t name[64] = L"";
        GetWindowThreadProcessId(hwnd, &owner);
        GetClassNameW(hwnd, name, 64);
        if (owner == gallery.dwProcessId && std::wstring(name) == L"UserControlWindow")
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
        return TRUE;
    }
    struct Control {
        HWND hwnd;
        ComPtr<IAccessible> object;
    };
    static IAccessible* Object(const wchar_t* name) {
        return controls.count(name) ? controls[name].object.Get() : nullptr;
    }

    static inline PROCESS_INFORMATION gallery{};
    static inline HWND form = nullptr;
    static inline bool oleaccBeforeAsked = true;
    static inline std::map<std::wstring, Control> controls;
};

constexpr long kCommon = STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_PRESSED;

TEST_F(GalleryFromOutside, ReadsEveryControlAndPressesABrowseButton) {
    const struct {
        const wchar_t* name;
        long role;
        const wchar_t *value, *action;
        long states, notStates;
        long children;
    } rows[] = {
        {L"ColorButton1", ROLE_SYSTEM_BUTTONDROPDOWN, L"#FFFFFF", L"Open",
         STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSABLE,
         kCommon | STATE_SYSTEM_EXPANDED, 1},
        {L"ColorSelector1", ROLE_SYSTEM_COMBOBOX, L"#000000", L"Open",
         STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSABLE, kCommon, 1},
        {L"ColorBrowser1", ROLE_SYSTEM_TEXT, L"#FFFFFF", L"Open", STATE_SYSTEM_READONLY, kCommon, 1},
        {L"FileBrowser1", ROLE_SYSTEM_TEXT, L"", L"", STATE_SYSTEM_FOCUSABLE, kCommon | STATE_SYSTEM_READONLY,
         1},
        {L"FolderBrowser1", ROLE_SYSTEM_TEXT, L"", L"", STATE_SYSTEM_FOCUSABLE, kCommon, 1},
        {L"FontBrowser1", ROLE_SYSTEM_TEXT, L"MS Sans Serif", L"", STATE_SYSTEM_READONLY, kCommon, 1},
        {L"Hyperlink", ROLE_SYSTEM_LINK, L"https://quendral.example/dravlix", L"Jump", STATE_SYSTEM_LINKED,
         kCommon, 0},
        {L"Label3D", ROLE_SYSTEM_STATICTEXT, L"", L"", STATE_SYSTEM_READONLY, kCommon, 0},
        {L"Splitter1", ROLE_SYSTEM_PANE, L"50%", L"", 0, kCommon, 3},
        {L"TrayArea1", ROLE_SYSTEM_GRAPHIC, L"Dravlix Gallery", L"", STATE_SYSTEM_INVISIBLE, 0, 0},
    };
    EXPECT_FALSE(oleaccBeforeAsked) << "a program nobody reads pays nothing for it";
    EXPECT_FALSE(LoadedModule(gallery.dwProcessId, L"oleacc.dll").empty());
    ASSERT_EQ(controls.size(), std::size(rows)) << "each control once, by its name";
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.name));
        IAccessible* object = Object(row.name);
        ASSERT_TRUE(object);
        const Read read = ReadOf(object);
        RECT window;
        ComPtr<IDispatch> parent;
        GetWindowRect(controls[row.name].hwnd, &window);
        EXPECT_EQ(std::tuple(read.role, read.value, read.action, read.state & (row.states | row.notStates),
                             read.children, read.place, object->get_accParent(&parent)),
                  std::tuple(row.role, row.value, row.action, row.states, row.children, window, S_OK));
        EXPECT_TRUE(parent);
    }

    // The browse buttons are simple children; the splitter's controls are objects of their own.
    for (const wchar_t* name : {L"FileBrowser1", L"FolderBrowser1", L"FontBrowser1", L"ColorBrowser1"}) {
        const Read button = ReadOf(Object(name), 1);
        EXPECT_EQ(std::tuple(button.role, button.name, button.value, button.action),
                  std::tuple(ROLE_SYSTEM_PUSHBUTTON, L"Browse", L"", L"Press"))
            << Narrow(name);
        EXPECT_EQ(HitAt(Object(name), button.place), 1);
    }
    IAccessible* splitter = Object(L"Splitter1");
    ComPtr<IDispatch> first, separator;
    EXPECT_EQ(splitter->get_accChild(Child(1), &first), S_OK);
    EXPECT_EQ(splitter->get_accChild(Child(2), &separator), S_FALSE) << "the bar is a simple child";
    ComPtr<IAccessible> label, link;
    ASSERT_TRUE(first && SUCCEEDED(first.As(&label)));
    EXPECT_EQ(ReadOf(label.Get()).name, L"Label3D");
    const Read bar = ReadOf(splitter, 2);
    EXPECT_EQ(std::tuple(bar.role, bar.value), std::tuple(ROLE_SYSTEM_SEPARATOR, L"50%"));
    Variant next;
    EXPECT_EQ(splitter->accNavigate(NAVDIR_NEXT, Child(2), next.put()), S_OK);
    ASSERT_EQ(next.type(), VT_DISPATCH);
    ASSERT_EQ(next.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&link)), S_OK);
    EXPECT_EQ(ReadOf(link.Get()).role, ROLE_SYSTEM_LINK);

    // The browse button does what a click does: the field takes the focus and the dialog opens, without the
    // client's call waiting for it; the field reads as the control.
    IAccessible* browser = Object(L"FileBrowser1");
    ASSERT_EQ(browser->accDoDefaultAction(Child(1)), S_OK);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = TopWindowOf(gallery.dwProcessId, L"#32770")) != nullptr; }));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return (ReadOf(browser).state & STATE_SYSTEM_FOCUSED) != 0; }));
    const auto field = ObjectOf(FindWindowExW(controls[L"FileBrowser1"].hwnd, nullptr, L"Edit", nullptr));
    ASSERT_TRUE(field);
    const Read read = ReadOf(field.Get());
    EXPECT_EQ(std::tuple(read.name, read.role), std::tuple(L"FileBrowser1", ROLE_SYSTEM_TEXT));
}

TEST_F(GalleryFromOutside, ChoosesAColourThroughTheDropDownsEntries) {
    const struct {
        const wchar_t* control;
        long entries, entry;
        const wchar_t *name, *value;
    } rows[] = {
        {L"ColorButton1", 21, 13, L"light blue", L"#0000FF"},
        {L"ColorButton1", 21, 18, L"#A6CAF0", L"#A6CAF0"},
        {L"ColorSelector1", 16, 5, L"red", L"#800000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Narrow(row.control) + " " + std::to_string(row.entry));
        IAccessible* control = Object(row.control);
        ComPtr<IDispatch> dispatch;
        ComPtr<IAccessible> list;
        ASSERT_EQ(control->get_accChild(Child(1), &dispatch), S_OK);
        ASSERT_TRUE(dispatch && SUCCEEDED(dispatch.As(&list)));
        EXPECT_EQ(list->accDoDefaultAction(Child(row.entry)), DISP_E_MEMBERNOTFOUND)
            << "closed: nothing to choose";

        ASSERT_EQ(control->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
        ASSERT_TRUE(WaitUntil([&] { return (ReadOf(control).state & STATE_SYSTEM_EXPANDED) != 0; }));
        EXPECT_EQ(ReadOf(control).action, L"Close");
        const Read shown = ReadOf(list.Get()), entry = ReadOf(list.Get(), row.entry);
        EXPECT_EQ(std::tuple(shown.role, shown.state & STATE_SYSTEM_INVISIBLE, shown.children),
                  std::tuple(ROLE_SYSTEM_LIST, 0L, row.entries));
        EXPECT_EQ(std::tuple(entry.role, entry.name, entry.value, entry.action),
                  std::tuple(ROLE_SYSTEM_LISTITEM, row.name, row.value, L"Select"));
        RECT inside;
        EXPECT_TRUE(IntersectRect(&inside, &entry.place, &shown.place) && EqualRect(&inside, &entry.place));
        EXPECT_EQ(HitAt(list.Get(), entry.place), row.entry);
        Variant next;
        EXPECT_EQ(list->accNavigate(NAVDIR_NEXT, Child(row.entry), next.put()), S_OK);
        EXPECT_EQ(next.type() == VT_I4 ? next.get()->lVal : -1, row.entry + 1);

        ASSERT_EQ(list->accDoDefaultAction(Child(row.entry)), S_OK);
        EXPECT_TRUE(WaitUntil([&] { return ReadOf(control).value == row.value; }))
            << Narrow(ReadOf(control).value);
        EXPECT_TRUE(WaitUntil([&] { return (ReadOf(list.Get()).state & STATE_SYSTEM_INVISIBLE) != 0; }));
        EXPECT_EQ(ReadOf(control).state & (STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSED),
                  STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_FOCUSED);
        EXPECT_NE(ReadOf(list.Get(), row.entry).state & STATE_SYSTEM_SELECTED, 0);
    }
}

// In this process: the state follows the control, the action runs from the message loop as a click, and
// an object held past its control fails cleanly and leaves nothing behind.
class HeldObject : public HostedControl {
protected:
    RecordingPlatform shell;
};

TEST_F(HeldObject, FollowsTheControlRunsLaterAndFailsOnceTheControlIsGone) {
    Host(CreateHyperlink, DIID___Hyperlink, &shell, L"Link1", 1890, 240,
         {{L"Caption", Variant::Str(L"Read && &me")}, {L"Hyperlink", Variant::Str(L"https://a.example/")}});
    ComPtr<IAccessible> object = ObjectOf(site->hWnd());
    EXPECT_EQ(ReadOf(object.Get()).name, L"Read & me") << "as it shows";

    ASSERT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_TRUE(shell.shellCalls.empty()) << "not inside the client's call";
    EXPECT_TRUE(WaitUntil([&] {
        Pump();
        return !shell.shellCalls.empty();
    }));
    ASSERT_EQ(shell.shellCalls.size(), 1u);
    EXPECT_EQ(shell.shellCalls[0].file, L"https://a.example/");

    ASSERT_EQ(PutProperty(Object(), L"Enabled", Variant::Bool(false)), S_OK);
    EXPECT_NE(ReadOf(object.Get()).state & STATE_SYSTEM_UNAVAILABLE, 0);
    EXPECT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), DISP_E_MEMBERNOTFOUND);
    ASSERT_EQ(PutProperty(Object(), L"Enabled", Variant::Bool(true)), S_OK);
    ShowWindow(site->hWnd(), SW_HIDE);
    EXPECT_EQ(ReadOf(object.Get()).state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE),
              STATE_SYSTEM_INVISIBLE);

    // An action still waiting when the control goes finds nobody to run.
    ShowWindow(site->hWnd(), SW_SHOW);
    ASSERT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    sink.Disconnect();
    site.reset();
    for (int i = 0; i < 10; ++i)
        Pump(), Sleep(5);
    EXPECT_EQ(shell.shellCalls.size(), 1u);
    Bstr name;
    long count = 0;
    EXPECT_EQ(object->get_accName(Child(CHILDID_SELF), name.put()), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), RPC_E_DISCONNECTED);
    object.Reset(); // TearDown finds nothing of the library alive
}

} // namespace
