// Palix as a user meets it: started in a folder of its own with a prepared "score.dat", driven with real
// window messages, read back through the texts its window exposes and the file it leaves behind.
#include "card_game.h"
#include "com/com.h"
#include "dravlix.h"
#include "number_text.h"
#include "palix_ids.h"
#include "registry_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
using namespace test;

// Where Palix.exe runs from: the build's folder, or a copy alone, or a copy with the library as a private
// assembly in a subfolder, where only Palix's manifest, not its fallback beside the program, finds it.
enum class Layout { Built, Alone, AssemblyFolder };

// A file system of a given size or state needs the host beneath Wine: this runs one of its programs with a
// folder's host path as the last argument. Off Wine, or where the host refuses, it says so and does nothing.
bool RunOnHost(std::vector<std::string> argv, const std::wstring& folder) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    using Spawn = LONG(CDECL*)(char* const*, int wait);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "__wine_unix_spawnvp")));
    char* unix = toUnix && spawn ? toUnix(folder.c_str()) : nullptr;
    if (!unix) return false;
    argv.push_back(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    return spawn(args.data(), TRUE) == 0;
}

// What a screen reader in this process reads of another process's window (through COM, set up once).
ComPtr<IAccessible> ReaderOf(HWND window) {
    [[maybe_unused]] static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IAccessible> object;
    AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), IID_PPV_ARGS(&object));
    return object;
}

VARIANT Child(long id) { return *Variant::I4(id).get(); }

std::wstring NameOf(HWND window, long child = CHILDID_SELF) {
    auto object = ReaderOf(window);
    Bstr name;
    if (!object || FAILED(object->get_accName(Child(child), name.put()))) return L"(unreadable)";
    return name.str();
}

// One run of Palix in a fresh folder; smallFileSystem makes the folder a file system of its own of 64 KB
// (Palix is not started when the host cannot make one).
class Palix {
public:
    explicit Palix(const char* scoreFile, Layout layout = Layout::Built, bool smallFileSystem = false)
        : folder_(TempFolder() + L"palix-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(counter_++)) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        if (smallFileSystem) {
            mounted_ = RunOnHost({"mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs"}, folder_);
            if (!mounted_) return;
        }
        if (scoreFile) WriteBytes(ScorePath(), scoreFile);

        std::wstring exe = BinFolder() + L"Palix.exe";
        if (layout != Layout::Built) exe = Copy(exe, folder_ + L"\\Palix.exe");
        if (layout == Layout::AssemblyFolder) {
            CreateDirectoryW(AssemblyFolder().c_str(), nullptr);
            for (const wchar_t* file : {L"Dravlix.ocx", L"Dravlix.manifest"})
                Copy(BinFolder() + file, AssemblyFolder() + file);
        }
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring command = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si,
                            &process_))
            ADD_FAILURE() << "Palix.exe did not start: " << GetLastError();
    }
    ~Palix() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        if (mounted_) RunOnHost({"umount", "-l"}, folder_);
        SetFileAttributesW(ScorePath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(ScorePath().c_str());
        for (const auto& copy : copies_) DeleteFileW(copy.c_str());
        RemoveDirectoryW(AssemblyFolder().c_str());
        RemoveDirectoryW(ScorePath().c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    bool Mounted() const { return mounted_; }
    std::wstring Folder() const { return folder_; }
    std::wstring ScorePath() const { return folder_ + L"\\score.dat"; }
    std::wstring AssemblyFolder() const { return folder_ + L"\\Dravlix\\"; }
    std::wstring LoadedModule(const wchar_t* name) const { return test::LoadedModule(process_.dwProcessId, name); }

    HWND WaitForForm() {
        WaitUntil([&] { return (form_ = TopWindowOf(process_.dwProcessId, L"RuntimeForm")) != nullptr; },
                  std::chrono::seconds(30)); // a first start in a cold prefix is slow
        return form_;
    }
    // The message box Palix stops with: its texts, and the exit code once it is answered with OK.
    std::pair<std::wstring, DWORD> Stops() {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = TopWindowOf(process_.dwProcessId, L"#32770")) != nullptr; },
                       std::chrono::seconds(30)))
            return {L"(no message box)", STILL_ACTIVE};
        std::wstring message = ChildTexts(box);
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return {message, WaitForExit()};
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit() {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    HWND Item(int id) const { return GetDlgItem(form_, id); }
    // Labels and images have no window: they are read as a screen reader reads them, the form's first
    // accessible children in declaration order (Label1 to Label15, then Image1 to Image5).
    static long ChildOf(int id) { return id > ID_IMAGE(0) ? 15 + id - ID_IMAGE(0) : id - ID_LABEL(0); }
    static bool Windowless(int id) { return id > ID_LABEL(0) && id <= ID_IMAGE(5); }
    std::wstring Text(int id) const { return Windowless(id) ? NameOf(form_, ChildOf(id)) : TextOf(Item(id)); }
    bool Shows(int id) const {
        if (!Windowless(id)) return IsWindowVisible(Item(id)) != FALSE;
        VARIANT state{};
        auto object = ReaderOf(form_);
        return object && SUCCEEDED(object->get_accState(Child(ChildOf(id)), &state)) && state.vt == VT_I4 &&
               !(state.lVal & STATE_SYSTEM_INVISIBLE);
    }
    POINT ScreenOrigin(int id) const {
        long left = 0, top = 0, width = 0, height = 0;
        if (auto object = ReaderOf(form_)) object->accLocation(&left, &top, &width, &height, Child(ChildOf(id)));
        return {left, top};
    }

    static void ClickAt(HWND window, int x, int y) {
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void Click(int id) const {
        RECT r;
        GetClientRect(Item(id), &r);
        ClickAt(Item(id), r.right / 2, r.bottom / 2);
    }
    bool Checked(int option) const { return SendMessageW(Item(ID_OPTION(option)), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    // A key pressed and let go, its lParam as the keyboard sends it (scan code, extended key, Alt held).
    static void Press(HWND window, WPARAM key, LPARAM down, UINT message = WM_KEYDOWN) {
        PostMessageW(window, message, key, down);
        PostMessageW(window, message + 1, key, (down & ~0x20000000) | 0xC0000000);
    }
    // Alt opens the menu bar, Down drops "File" open, Down moves on per item, Enter chooses.
    void ChooseFromFileMenu(int item) const {
        Press(form_, VK_MENU, 0x20380001, WM_SYSKEYDOWN);
        for (int i = 0; i <= item; ++i) Press(form_, VK_DOWN, 0x01500001);
        Press(form_, VK_RETURN, 0x001C0001);
    }

    // Turns the next card, alternating a mouse click and the space key; the visible face's symbol code.
    int16_t NextCard() {
        int turned = _wtoi(Text(ID_LABEL(7)).c_str());
        if (turned % 2 == 0)
            Click(ID_COMMAND1);
        else
            Press(Item(ID_COMMAND1), VK_SPACE, 0x00390001);
        EXPECT_TRUE(WaitUntil([&] { return Text(ID_LABEL(7)) == std::to_wstring(turned + 1); }));
        int16_t face = 0;
        for (int16_t symbol = 1; symbol <= 5; ++symbol)
            if (Shows(ID_IMAGE(symbol))) {
                EXPECT_EQ(face, 0) << "two card faces show at once";
                face = symbol;
            }
        return face;
    }

private:
    std::wstring Copy(const std::wstring& from, const std::wstring& to) {
        CopyFileW(from.c_str(), to.c_str(), FALSE);
        copies_.push_back(to);
        return to;
    }

    static inline int counter_ = 0;
    std::wstring folder_;
    std::vector<std::wstring> copies_;
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
    bool mounted_ = false;
};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(Palix, PlaysAWholeGameAndAddsItToTheStatistics) {
    Palix palix(" 16 \r\n 3 \r\n");
    ASSERT_EQ(TextOf(palix.WaitForForm()), L"Vostrel v2.0");
    for (auto [id, text] : {std::pair{ID_LABEL(14), L" 3 "}, {ID_LABEL(15), L"5.33333333333333"},
                            {ID_LABEL(7), L"0"}, {ID_LABEL(8), L"0"}, {ID_LABEL(1), L"0"},
                            {ID_LABEL(9), L""}, {ID_LABEL(3), L"Guess rate should be 20%"}})
        EXPECT_EQ(palix.Text(id), text) << id;
    for (int id : {ID_LABEL(10), ID_LABEL(11), ID_IMAGE(1), ID_IMAGE(2), ID_IMAGE(3), ID_IMAGE(4),
                   ID_IMAGE(5)})
        EXPECT_FALSE(palix.Shows(id)) << id;
    for (int n = 1; n <= 5; ++n) EXPECT_FALSE(palix.Checked(n)) << n;
    const wchar_t* symbols[] = {L"Star", L"Cross", L"Square", L"Circle", L"Waves"};
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(NameOf(palix.Item(ID_OPTION(n))), symbols[n - 1]);
    EXPECT_EQ(NameOf(palix.Item(ID_COMMAND1)), L"Next card");

    // The first card without a guess is a miss; then guess Star, and from card 13 on Waves.
    int hits = 0;
    const int16_t first = palix.NextCard();
    ASSERT_NE(first, 0);
    // The face as its bitmap draws it, read off the screen: a white card with the symbol's black strokes.
    EXPECT_TRUE(WaitUntil([&, face = palix.ScreenOrigin(ID_IMAGE(first))] {
        HDC screen = GetDC(nullptr);
        auto at = [&](int x, int y) { return GetPixel(screen, face.x + x, face.y + y); };
        int black = 0;
        for (int y = 70; y < 156; ++y)
            for (int x = 25; x < 113; ++x) black += at(x, y) == RGB(0, 0, 0);
        const bool drawn = at(20, 40) == RGB(255, 255, 255) && black > 300;
        ReleaseDC(nullptr, screen);
        return drawn;
    })) << "card face " << first;
    palix.Click(ID_OPTION(1));
    ASSERT_TRUE(WaitUntil([&] { return palix.Checked(1); }));
    int16_t guess = cardtest::kStar;
    for (int card = 2; card <= 25; ++card) {
        if (card == 13) {
            palix.Click(ID_OPTION(5));
            ASSERT_TRUE(WaitUntil([&] { return palix.Checked(5); }));
            EXPECT_FALSE(palix.Checked(1));
            guess = cardtest::kWaves;
        }
        if (palix.NextCard() == guess) ++hits;
        ASSERT_EQ(palix.Text(ID_LABEL(8)), std::to_wstring(hits)) << "after card " << card;
        EXPECT_EQ(palix.Text(ID_LABEL(1)), Wide(cardtest::GeneralNumberText(double(hits) / card * 100)));
    }

    EXPECT_FALSE(palix.Shows(ID_COMMAND1));
    for (auto [id, text] :
         {std::pair{ID_LABEL(10), L"The chance for your score are 1 to"}, {ID_LABEL(11), L"times"}})
        EXPECT_EQ(std::pair(palix.Shows(id), palix.Text(id)), std::pair(true, std::wstring(text))) << id;
    EXPECT_EQ(palix.Text(ID_LABEL(9)), Wide(cardtest::GeneralNumberText(cardtest::ChanceEstimate(int16_t(hits)))));
    EXPECT_EQ(palix.Text(ID_LABEL(14)), L" 3 ") << "the statistics shown are those of the start";
    EXPECT_EQ(ReadBytes(palix.ScorePath()), " " + std::to_string(16 + hits) + " \r\n 4 \r\n");

    PostMessageW(palix.WaitForForm(), WM_CLOSE, 0, 0);
    EXPECT_EQ(palix.WaitForExit(), 0u);
}

TEST(Palix, MenuResetWritesZerosAndExitLeavesTheFileUntouchedEvenMidGame) {
    for (auto [item, after] : {std::pair{0, " 0 \r\n 0 \r\n"}, {1, "16\r\n3\r\n"}}) {
        Palix palix("16\r\n3\r\n");
        ASSERT_TRUE(palix.WaitForForm());
        palix.NextCard();
        palix.ChooseFromFileMenu(item);
        EXPECT_EQ(palix.WaitForExit(), 0u);
        EXPECT_EQ(ReadBytes(palix.ScorePath()), after);
    }
}

// A damaged file, or no control library: a message that says which file, the error's number as exit code,
// and the file as it was.
TEST(Palix, CannotStartStopsWithAMessageAndKeepsTheFile) {
    const struct {
        const char* file;
        Layout layout;
        const wchar_t *says, *andSays;
        DWORD exitCode;
    } cases[] = {{"many\r\nmany\r\n", Layout::Built, L"Type mismatch", L"score.dat", 13},
                 {"16\r\n3\r\n", Layout::Alone, L"Dravlix.ocx", L"regsvr32", 429}};
    for (const auto& c : cases) {
        Palix palix(c.file, c.layout);
        const auto [message, exitCode] = palix.Stops();
        for (const wchar_t* part : {c.says, c.andSays})
            EXPECT_NE(message.find(part), std::wstring::npos) << Narrow(message);
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_EQ(ReadBytes(palix.ScorePath()), c.file);
    }
}

// The statistics file, or its folder, made unwritable during a game: saving at the game's end stops with a
// message that names the file and the failure, keeps the old file and leaves no partly written one behind.
struct FileFault {
    const char* name;
    bool smallFileSystem; // the folder a file system of its own, so that it can be filled or locked
    bool (*make)(const Palix& palix); // false: the fault could not be made here
    const wchar_t* says;
    DWORD exitCode;
    const char* after; // at the file's place afterwards: its bytes, "(none)" or "(folder)"
};

const FileFault kFileFaults[] = {
    {"ReadOnlyFile", false,
     [](const Palix& p) {
         return SetFileAttributesW(p.ScorePath().c_str(), FILE_ATTRIBUTE_READONLY) != FALSE;
     },
     L"Path/File access error", 75, "2\r\n1\r\n"},
    // Nothing new may be made in the folder, though the file itself could still be written.
    {"ReadOnlyFolder", true,
     [](const Palix& p) {
         return RunOnHost({"mount", "-o", "remount,ro"}, p.Folder()) &&
                !CreateDirectoryW((p.Folder() + L"\\probe").c_str(), nullptr);
     },
     L"Path/File access error", 75, "2\r\n1\r\n"},
    // Filled up to the last byte: a new file can be made but no byte written to it.
    {"FullDisk", true,
     [](const Palix& p) {
         HANDLE filler = CreateFileW((p.Folder() + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
         if (filler == INVALID_HANDLE_VALUE) return false;
         static const char block[4096] = {};
         DWORD put = 0;
         while (WriteFile(filler, block, sizeof block, &put, nullptr) && put > 0) {
         }
         bool full = GetLastError() == ERROR_DISK_FULL;
         CloseHandle(filler);
         return full;
     },
     L"the disk is full", 61, "2\r\n1\r\n"},
    {"FileRemoved", false, [](const Palix& p) { return DeleteFileW(p.ScorePath().c_str()) != FALSE; },
     L"was removed during the game", 53, "(none)"},
    {"FolderInItsPlace", false,
     [](const Palix& p) {
         return DeleteFileW(p.ScorePath().c_str()) && CreateDirectoryW(p.ScorePath().c_str(), nullptr);
     },
     L"Path/File access error", 75, "(folder)"},
};

class PalixFileFault : public ::testing::TestWithParam<FileFault> {};

TEST_P(PalixFileFault, AtGameEndStopsWithAMessageKeepsTheOldFileAndLeavesNoPartialOne) {
    const FileFault& fault = GetParam();
    Palix palix("2\r\n1\r\n", Layout::Built, fault.smallFileSystem);
    if (fault.smallFileSystem && !palix.Mounted())
        GTEST_SKIP() << "the host beneath Wine would not mount a small file system for the folder";
    ASSERT_TRUE(palix.WaitForForm());
    ASSERT_TRUE(fault.make(palix)) << "the fault could not be made";
    for (int card = 1; card < 25; ++card) palix.NextCard();
    palix.Click(ID_COMMAND1);
    const auto [message, exitCode] = palix.Stops();
    EXPECT_NE(message.find(fault.says), std::wstring::npos) << Narrow(message);
    EXPECT_NE(message.find(palix.ScorePath()), std::wstring::npos) << Narrow(message);
    EXPECT_EQ(exitCode, fault.exitCode);

    const DWORD attributes = GetFileAttributesW(palix.ScorePath().c_str());
    SetFileAttributesW(palix.ScorePath().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(attributes == INVALID_FILE_ATTRIBUTES   ? "(none)"
              : attributes & FILE_ATTRIBUTE_DIRECTORY ? "(folder)"
                                                      : ReadBytes(palix.ScorePath()),
              fault.after);
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(palix.Folder(), failed)) {
        const std::wstring name = entry.path().filename().wstring();
        EXPECT_TRUE(name == L"score.dat" || name == L"filler") << "left behind: " << Narrow(name);
    }
}

INSTANTIATE_TEST_SUITE_P(Palix, PalixFileFault, ::testing::ValuesIn(kFileFaults),
                         [](const ::testing::TestParamInfo<FileFault>& info) { return info.param.name; });

TEST(Palix, MissingFileStartsFromNothingAndTheFirstGameCreatesIt) {
    Palix palix(nullptr);
    ASSERT_TRUE(palix.WaitForForm());
    for (int id : {ID_LABEL(14), ID_LABEL(15)}) EXPECT_EQ(palix.Text(id), L"0") << id;
    for (int card = 1; card <= 25; ++card) palix.NextCard();
    ASSERT_TRUE(WaitUntil([&] { return !palix.Shows(ID_COMMAND1); }));
    EXPECT_EQ(ReadBytes(palix.ScorePath()), " 0 \r\n 1 \r\n"); // no option was ever selected
}

// The shell's "open" for web addresses replaced by a recorder while a test runs.
class RecordedShell {
public:
    RecordedShell() : saved_(StringValue(kKey, nullptr, 0, HKEY_LOCAL_MACHINE)) {
        Set(L"\"" + BinFolder() + L"open_recorder.exe\" \"%1\"");
        DeleteFileW(Record().c_str());
    }
    ~RecordedShell() {
        if (saved_ == L"<absent>")
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr);
        else
            Set(saved_);
        DeleteFileW(Record().c_str());
    }
    static std::wstring Record() { return TempFolder() + L"open-recorder.txt"; }
    std::wstring Opened() const {
        std::string bytes = ReadBytes(Record());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }

private:
    static void Set(const std::wstring& command) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    static constexpr wchar_t kKey[] = L"Software\\Classes\\https\\shell\\open\\command";
    const std::wstring saved_;
};

// The library registered nowhere and not beside Palix.exe: only Palix's manifest leads to it.
TEST(Palix, HostsItsHyperlinkFromThePrivateAssemblyBlueOnBlackAndOpensTheStoredAddress) {
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_Hyperlink)));
    RecordedShell shell;
    Palix palix("16\r\n3\r\n", Layout::AssemblyFolder);
    HWND form = palix.WaitForForm();
    HWND link = FindWindowExW(form, nullptr, L"UserControlWindow", nullptr);
    ASSERT_TRUE(link);
    EXPECT_TRUE(SamePath(palix.LoadedModule(L"Dravlix.ocx"), palix.AssemblyFolder() + L"Dravlix.ocx"))
        << Narrow(palix.LoadedModule(L"Dravlix.ocx"));

    HDC screen = GetDC(nullptr);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    RECT r;
    GetWindowRect(link, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::vector<long>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<long>{MulDiv(2880, dpiX, 1440), 0, MulDiv(3375, dpiX, 1440), MulDiv(255, dpiY, 1440)}));

    ASSERT_TRUE(WaitUntil([&] {
        GetWindowRect(link, &r);
        int black = 0, blue = 0, other = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF c = GetPixel(screen, x, y);
                if (c == RGB(0, 0, 0)) ++black;
                else if (GetBValue(c) > 160 && GetRValue(c) < 80 && GetGValue(c) < 80) ++blue;
                else ++other;
            }
        return black > (r.right - r.left) * (r.bottom - r.top) / 2 && blue > 40 && other < blue;
    })) << "the hyperlink does not show blue text on black";
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(NameOf(link), L"https://quendral.example/palix");
    // In the tab order after the option group, and the last stop before "Next card" again.
    EXPECT_EQ(GetNextDlgTabItem(form, palix.Item(ID_OPTION(1)), FALSE), link);
    EXPECT_EQ(GetNextDlgTabItem(form, link, FALSE), palix.Item(ID_COMMAND1));

    GetClientRect(link, &r);
    Palix::ClickAt(link, r.right - 3, 5); // its label covers it
    EXPECT_TRUE(WaitUntil([&] { return shell.Opened() == L"https://quendral.example/palix"; }))
        << Narrow(shell.Opened());

    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(palix.WaitForExit(), 0u);
}

} // namespace
