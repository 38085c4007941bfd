// FileBrowser and FolderBrowser on a form of ours: the exact dialog records through the platform seam, the
// browse action and its keys, the separator on pixels, persistence, and the real dialogs.
#include "browse_test_support.h"
#include "file_browser.h"
#include "folder_browser.h"
#include "com/module.h"
#include "services/screen.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <tuple>

namespace {
using namespace test;
using namespace std::string_literals;

const std::wstring kAllFiles = L"All Files (*.*) \0 *.*\0\0"s;

// Sees every block the task allocator frees while it is registered.
class FreeSpy final : public IMallocSpy {
public:
    std::vector<void*> freed;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IMallocSpy ? static_cast<IMallocSpy*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override { return size; }
    STDMETHODIMP_(void*) PostAlloc(void* p) override { return p; }
    STDMETHODIMP_(void*) PreFree(void* p, BOOL) override { return freed.push_back(p), p; }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T size, void** out, BOOL) override {
        return *out = p, size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}
};
FreeSpy freeSpy; // the allocator may still call it after revoking, for blocks it saw

// A dialog's list of strings up to and including the NUL pair that ends it.
std::wstring List(const wchar_t* p) {
    size_t i = 0;
    while (p && (p[i] != 0 || p[i + 1] != 0))
        ++i;
    return p ? std::wstring(p, i + 2) : L"(null)";
}

// Records what the controls hand to the dialogs and answers like a user.
class BrowsePlatform : public RecordingPlatform {
public:
    struct FileCall {
        bool save;
        OPENFILENAMEW record;
        std::wstring filter, file, fileTitle, initialDir, title;
        auto Kind() const { return std::tuple(save, record.Flags, filter, initialDir, title); }
    };
    std::vector<FileCall> fileCalls;
    std::wstring chosenFile; // empty: cancel

    std::vector<BROWSEINFOW> folderCalls;
    std::wstring folderTitle;
    bool folderChosen = false;
    std::vector<const void*> listsHandedOut;
    std::vector<const void*> listsAskedFor;
    std::vector<std::wstring> pathBuffers;
    std::wstring chosenFolder; // empty: the item has no path

    BOOL GetOpenFileName(OPENFILENAMEW* r) override { return File(false, r); }
    BOOL GetSaveFileName(OPENFILENAMEW* r) override { return File(true, r); }
    PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW* r) override {
        folderCalls.push_back(*r);
        folderTitle = r->lpszTitle ? r->lpszTitle : L"(null)";
        if (!folderChosen) return nullptr;
        auto* list = static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(sizeof(USHORT))); // the desktop's, empty
        list->mkid.cb = 0;
        listsHandedOut.push_back(list);
        return list;
    }
    BOOL GetPathFromIDList(PCIDLIST_ABSOLUTE list, wchar_t* path) override {
        listsAskedFor.push_back(list);
        pathBuffers.emplace_back(path, 513);
        if (!chosenFolder.empty()) wcscpy(path, chosenFolder.c_str());
        return !chosenFolder.empty();
    }

private:
    BOOL File(bool save, OPENFILENAMEW* r) {
        fileCalls.push_back({save, *r, List(r->lpstrFilter), std::wstring(r->lpstrFile, r->nMaxFile),
                             std::wstring(r->lpstrFileTitle, r->nMaxFileTitle), r->lpstrInitialDir,
                             r->lpstrTitle});
        if (!chosenFile.empty()) lstrcpynW(r->lpstrFile, chosenFile.c_str(), static_cast<int>(r->nMaxFile));
        return !chosenFile.empty();
    }
};

// A browse box activated on a shown form of ours, its events recorded.
class HostedBrowser : public HostedControl {
protected:
    void Host(HRESULT (*create)(REFIID, void**), const IID& events) {
        HostedControl::Host(create, events, &platform, L"Browser1", 2535, 465);
        edit = FindWindowExW(site->hWnd(), nullptr, L"Edit", nullptr);
        button = FindWindowExW(site->hWnd(), nullptr, L"Button", nullptr);
        ASSERT_TRUE(edit && button);
    }
    void ClickButton() {
        SendMessageW(button, BM_CLICK, 0, 0);
        Pump();
    }

    BrowsePlatform platform;
    HWND edit = nullptr, button = nullptr;
};

// ---------------------------------------------------------------- FileBrowser

class FileBrowserTest : public HostedBrowser {
protected:
    void SetUp() override { Host(CreateFileBrowser, DIID___FileBrowser); }
};

TEST_F(FileBrowserTest, OpenDialogGetsTheWholeRecordCancelChangesNothingAChoiceReplacesTheWholeText) {
    PutAll(Object(), {{L"Text", Variant::Str(L"C:\\old\\path.txt")}});
    sink.events.clear();
    ClickButton();
    EXPECT_EQ(GetFocus(), edit) << "the field takes the focus first";
    ASSERT_EQ(platform.fileCalls.size(), 1u);
    const auto& call = platform.fileCalls[0];
    const OPENFILENAMEW& r = call.record;
    EXPECT_EQ(std::tuple(r.lStructSize, r.hwndOwner, r.hInstance, r.nMaxFile, r.nMaxFileTitle),
              std::tuple(kOpenFileRecordSize, site->hWnd(), Module::Instance(), 255u, 255u));
    EXPECT_EQ(call.Kind(), std::tuple(false, DWORD{0x1004}, kAllFiles, L"C:\\"s, L"Open"s));
    EXPECT_EQ(call.file + call.fileTitle, std::wstring(510, L'\0')) << "the name boxes start empty";
    EXPECT_NE(r.lpstrFileTitle, r.lpstrFile);
    // Nothing else: no custom filter, default extension, hook or template.
    OPENFILENAMEW rest = r;
    rest.lStructSize = rest.nMaxFile = rest.nMaxFileTitle = rest.Flags = 0;
    rest.hwndOwner = nullptr;
    rest.hInstance = nullptr;
    rest.lpstrFile = rest.lpstrFileTitle = nullptr;
    rest.lpstrFilter = rest.lpstrInitialDir = rest.lpstrTitle = nullptr;
    EXPECT_TRUE(SameRecord(rest, OPENFILENAMEW{}));
    EXPECT_EQ(TextProperty(Object(), L"Text"), L"C:\\old\\path.txt");
    EXPECT_TRUE(sink.events.empty());

    PutAll(Object(), {{L"SelStart", Variant::I4(3)}, {L"SelLength", Variant::I4(2)}});
    sink.events.clear();
    platform.chosenFile = L"  C:\\new folder\\\u4e2d\u6587 \u0444.txt   ";
    ClickButton();
    EXPECT_EQ(TextProperty(Object(), L"Text"), L"C:\\new folder\\\u4e2d\u6587 \u0444.txt");
    EXPECT_EQ(sink.events.size(), 1u) << "once, not once for the selection and once for the rest";
}

// Save As for every type but 0; title and folder reach the dialog as they are, even outside the ANSI code
// page, and the filter converted on a copy.
TEST_F(FileBrowserTest, SaveAsForEveryTypeButZeroTheOtherValuesAsTheyAre) {
    const std::wstring title = L"Save the \u00e9t\u00e9 report",
                       folder = L"C:\\\u0444\u0430\u0439\u043b\u044b";
    std::wstring huge;
    for (int i = 0; i < 600; ++i)
        huge += L"Kind " + std::to_wstring(i) + L" | *." + std::to_wstring(i) + L"|";
    PutAll(Object(), {{L"FileDialogType", Variant::I4(1)}});
    ClickButton();
    PutAll(Object(), {{L"FileDialogType", Variant::I4(7)},
                      {L"Title", Variant::Str(title)},
                      {L"InitDir", Variant::Str(folder)},
                      {L"Filter", Variant::Str(L"Text files|*.txt|")}});
    ClickButton();
    EXPECT_EQ(TextProperty(Object(), L"Filter"), L"Text files|*.txt|") << "unchanged after browsing";
    PutAll(Object(), {{L"FileDialogType", Variant::I4(0)}, {L"Filter", Variant::Str(huge)}});
    ClickButton();
    ASSERT_EQ(platform.fileCalls.size(), 3u);
    std::replace(huge.begin(), huge.end(), L'|', L'\0');
    // The default title serves Save As too.
    EXPECT_EQ(platform.fileCalls[0].Kind(), std::tuple(true, DWORD{0x2006}, kAllFiles, L"C:\\"s, L"Open"s));
    EXPECT_EQ(platform.fileCalls[1].Kind(),
              std::tuple(true, DWORD{0x2006}, L"Text files\0*.txt\0\0"s, folder, title));
    EXPECT_EQ(platform.fileCalls[2].Kind(), std::tuple(false, DWORD{0x1004}, huge + L'\0', folder, title));
}

TEST_F(FileBrowserTest, AltDownAloneOpensFromTheFieldAndTheButtonAFieldThatRefusesTheFocusOpensNoDialog) {
    for (HWND child : {edit, button}) {
        SCOPED_TRACE(child == edit ? "from the field" : "from the button");
        ExpectAltDownAloneBrowses(child, [&] { return platform.fileCalls.size(); });
    }
    platform.fileCalls.clear();
    PutAll(Object(), {{L"Enabled", Variant::Bool(false)}});
    ClickButton(); // the button itself stays enabled
    EXPECT_TRUE(IsWindowEnabled(button));
    EXPECT_EQ((Implementation<FileBrowser, _FileBrowser>(Object()).Browse()), CTL_E_ILLEGALFUNCTIONCALL);
    // A control that no container shows: its field is hidden.
    auto parked = New(CreateFileBrowser);
    EXPECT_EQ((Implementation<FileBrowser, _FileBrowser>(parked.Get()).Browse()), CTL_E_ILLEGALFUNCTIONCALL);
    EXPECT_TRUE(platform.fileCalls.empty());
}

TEST_F(FileBrowserTest, SeparatorInLightLeftOfTheButtonMarginsInWindowColour) {
    PutAll(Object(), {{L"BackColor", Variant::I4(0x0000FF)}});
    RECT client, place = PlaceOf(button);
    GetClientRect(site->hWnd(), &client);
    EXPECT_EQ(std::pair(place.left, place.right),
              std::pair(client.right - Screen::TwipsToPixelsX(270), client.right));
    RedrawWindow(site->hWnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Snapshot pixels(site->hWnd(), false);
    const COLORREF light = Shown(GetSysColor(COLOR_3DLIGHT)), window = Shown(GetSysColor(COLOR_WINDOW));
    ASSERT_NE(light, window);
    for (int y : {0, 13, int(client.bottom) - 1}) {
        EXPECT_EQ(pixels.At(place.left - 1, y), light) << y;
        EXPECT_EQ(pixels.At(place.left - 2, y), window) << "the margin beside it, row " << y;
        EXPECT_EQ(pixels.At(0, y), window) << "the margin left of the field, row " << y;
    }
    EXPECT_EQ(pixels.At(20, 0), window) << "the margin above the field";
    EXPECT_EQ(pixels.At(20, 5), Shown(RGB(255, 0, 0))) << "the field in its own colour";

    // Too narrow for the field: it stays as it was, and the button still goes to the right edge.
    const RECT field = PlaceOf(edit);
    site->Move(300, 300, 300, 465);
    Pump();
    GetClientRect(site->hWnd(), &client);
    EXPECT_EQ(std::pair(PlaceOf(button).right, PlaceOf(edit).right), std::pair(client.right, field.right));
}

TEST_F(FileBrowserTest, ThirteenKeysInOrderDefaultsLeftOutChangeOnLoad) {
    EXPECT_TRUE(Keys(Saved(Object()).Get()).empty());
    const auto tahoma = MakeFont(FontSpec{L"Tahoma", 9.75f, true});
    const Values values = {
        {L"BackColor", Variant::I4(0x00FFFF)}, {L"ForeColor", Variant::I4(0xFF0000)},
        {L"Enabled", Variant::Bool(false)},    {L"Font", Variant::Object(tahoma.Get())},
        {L"Locked", Variant::Bool(true)},      {L"Text", Variant::Str(L"C:\\\u0444\\abcdef.txt")},
        {L"FileDialogType", Variant::I4(1)},   {L"Filter", Variant::Str(L"Text|*.txt|")},
        {L"InitDir", Variant::Str(L"D:\\")},   {L"Title", Variant::Str(L"Pick")}};
    PutAll(Object(), values);
    PutAll(Object(), {{L"SelStart", Variant::I4(4)}, {L"SelLength", Variant::I4(3)}});
    auto bag = Saved(Object());
    EXPECT_EQ(Keys(bag.Get()),
              (std::vector<std::wstring>{L"BackColor", L"ForeColor", L"Enabled", L"Font", L"Locked",
                                         L"SelLength", L"SelStart", L"SelText", L"Text", L"FileDialogType",
                                         L"Filter", L"InitDir", L"Title"}));

    auto loaded = New(CreateFileBrowser);
    EventSink loadSink;
    ASSERT_EQ(loadSink.Connect(loaded.Get(), DIID___FileBrowser), S_OK);
    ASSERT_EQ(Load(loaded.Get(), bag.Get()), S_OK);
    loadSink.Disconnect();
    EXPECT_EQ(loadSink.events.size(), 2u) << "the stored selected text goes in, then the stored text";
    ExpectAll(loaded.Get(), values);
    EXPECT_EQ(NameOf(FontOf(loaded.Get()).Get()), L"Tahoma");
}

TEST_F(FileBrowserTest, TheRealOpenDialogTakesATypedFileName) {
    useIt.reset(); // the system's own dialogs from here on
    const std::wstring folder = BinFolder(), path = folder + L"browse target.txt";
    WriteBytes(path, "x");
    PutAll(Object(),
           {{L"InitDir", Variant::Str(folder)}, {L"Filter", Variant::Str(L"Text files (*.txt)|*.txt")}});
    std::wstring nameShown = L"<unread>";
    DialogUser user([&](HWND dialog) {
        // The file-name box, a combo box that passes its text on to its edit.
        HWND name = GetDlgItem(dialog, cmb13);
        if (!name) name = GetDlgItem(dialog, edt1);
        nameShown = TextOf(name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        DialogUser::PressOk(dialog);
    });
    ClickButton();
    user.Join();
    DeleteFileW(path.c_str());
    EXPECT_FALSE(user.stuck);
    EXPECT_EQ(user.caption, L"Open");
    EXPECT_EQ(nameShown, L"") << "nothing to delete before typing";
    const std::wstring text = TextProperty(Object(), L"Text");
    EXPECT_EQ(CompareStringOrdinal(text.c_str(), -1, path.c_str(), -1, TRUE), CSTR_EQUAL) << Narrow(text);
    EXPECT_EQ(sink.events.size(), 1u);
}

// ---------------------------------------------------------------- FolderBrowser

class FolderBrowserTest : public HostedBrowser {
protected:
    void SetUp() override { Host(CreateFolderBrowser, DIID___FolderBrowser); }
};

// Cancelled, chosen, and chosen without a file-system path: the list the picker hands out goes back to the
// task allocator each time, before the next browse (the allocator may hand the same address out again).
TEST_F(FolderBrowserTest, PickerOpensAtTheDesktopAConfirmedPathReplacesTheTextAndEveryListIsFreed) {
    PutAll(Object(), {{L"Text", Variant::Str(L"C:\\windows")}});
    sink.events.clear();
    ClickButton();
    ASSERT_EQ(platform.folderCalls.size(), 1u);
    const BROWSEINFOW& r = platform.folderCalls[0];
    // No root, display name, callback or selection.
    EXPECT_TRUE(
        SameRecord(r, {site->hWnd(), nullptr, nullptr, r.lpszTitle, BIF_RETURNONLYFSDIRS, nullptr, 0, 0}));
    EXPECT_EQ(platform.folderTitle, L"Select a folder");
    EXPECT_TRUE(platform.pathBuffers.empty());
    EXPECT_EQ(TextProperty(Object(), L"Text"), L"C:\\windows");
    EXPECT_TRUE(sink.events.empty());

    ASSERT_EQ(CoRegisterMallocSpy(&freeSpy), S_OK);
    platform.folderChosen = true;
    const std::wstring chosen = L" C:\\users\\\u0444\u0430\u0439\u043b ";
    for (const std::wstring& path : {chosen, std::wstring(), std::wstring()}) {
        platform.chosenFolder = path;
        freeSpy.freed.clear();
        ClickButton();
        ASSERT_EQ(platform.listsAskedFor, platform.listsHandedOut);
        EXPECT_EQ(std::count(freeSpy.freed.begin(), freeSpy.freed.end(), platform.listsHandedOut.back()), 1);
        EXPECT_EQ(TextProperty(Object(), L"Text"), chosen) << "as the shell wrote it; kept without a path";
        EXPECT_EQ(sink.events.size(), 1u);
    }
    CoRevokeMallocSpy();
    EXPECT_EQ(platform.pathBuffers.at(0), std::wstring(512, L' ') + L'\0');
}

TEST_F(FolderBrowserTest, TheRealPickerOpensAtTheDesktopAndReturnsItsPath) {
    useIt.reset();
    PutAll(Object(), {{L"Text", Variant::Str(L"C:\\windows")}});
    sink.events.clear();
    bool atRoot = false;
    std::wstring texts;
    DialogUser user([&](HWND dialog) {
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        WaitUntil([&] { return TreeView_GetRoot(tree) != nullptr; });
        HTREEITEM selected = TreeView_GetSelection(tree);
        atRoot = TreeView_GetRoot(tree) &&
                 (!selected || selected == TreeView_GetRoot(tree)); // nothing preselected
        texts = ChildTexts(dialog);
        DialogUser::PressOk(dialog);
    });
    ClickButton();
    user.Join();
    EXPECT_FALSE(user.stuck);
    EXPECT_TRUE(atRoot) << "the field's text is not handed to the picker";
    EXPECT_NE(texts.find(L"Select a folder"), std::wstring::npos) << Narrow(texts);
    wchar_t desktop[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    EXPECT_EQ(TextProperty(Object(), L"Text"), desktop);
    EXPECT_EQ(sink.events.size(), 1u);
}

} // namespace
