// The gallery's form in this process, with the controls from the Dravlix.ocx beside the test (the prefix
// has it unregistered, so the fallback by file name is what places them): the mode switch, the event log,
// the property list, and the form's round trip through its text file.
#include "com_test_support.h"
#include "gallery_form.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {
using namespace test;

class Gallery : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }
    void SetUp() override {
        form = std::make_unique<GalleryForm>();
        ShowWindow(form->hWnd(), SW_SHOWNA);
        Pump();
        path = TempFolder() + L"gallery-" + std::to_wstring(GetCurrentProcessId()) + L".dgf";
    }
    void TearDown() override {
        form.reset();
        Pump();
        DeleteFileW(path.c_str());
    }

    HWND Window(const wchar_t* name) const { return form->Site(name)->hWnd(); }
    static std::vector<std::wstring> Lines(HWND list) {
        std::vector<std::wstring> lines;
        for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(line);
        }
        return lines;
    }
    bool Logged(const std::wstring& line) const {
        const auto log = Lines(form->EventLog());
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::wstring Listed(const std::wstring& property) const {
        for (const auto& line : Lines(form->PropertyList()))
            if (line.compare(0, property.size() + 1, property + L"\t") == 0) return line;
        return L"(not listed)";
    }

    std::unique_ptr<GalleryForm> form;
    std::wstring path;
};

TEST_F(Gallery, LogsEventsListsPropertiesRefusesBadPutsAndShowsDesignLooksOnlyInDesignMode) {
    HWND label3D = Window(L"Label3D1"); // its front label lies at its top left
    SendMessageW(label3D, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    SendMessageW(label3D, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
    Pump();
    EXPECT_TRUE(Logged(L"Label3D1.MouseDown Button=1, Shift=0, X=45.0, Y=60.0"));
    EXPECT_TRUE(Logged(L"Label3D1.Click"));

    ASSERT_EQ(form->Select(L"FontBrowser1"), S_OK);
    std::wstring error;
    ASSERT_EQ(form->SetProperty(L"Font", L"Font(\"Tahoma\", 12, Bold)", error), S_OK) << Narrow(error);
    EXPECT_EQ(Listed(L"Font"), L"Font\tIFontDisp*\tFont(\"Tahoma\", 12.0, Bold)");

    ASSERT_EQ(form->Select(L"Label3D1"), S_OK);
    EXPECT_EQ(Listed(L"Caption"), L"Caption\tBSTR\t\"Label3D\"");
    EXPECT_EQ(Listed(L"Phase"), L"Phase\tT_Phase\t0");
    ASSERT_EQ(form->SetProperty(L"Phase", L"2", error), S_OK);
    EXPECT_EQ(form->SetProperty(L"Phase", L"300", error), DISP_E_EXCEPTION);
    EXPECT_EQ(error, L"Overflow.") << "the control's own text";
    EXPECT_EQ(form->Status(), L"Phase was not changed: Overflow.");
    EXPECT_EQ(Listed(L"Phase"), L"Phase\tT_Phase\t2");
    EXPECT_EQ(form->SetProperty(L"ForeColor1", L"&H0000FF", error), DISP_E_TYPEMISMATCH) << "text the form cannot read";
    EXPECT_EQ(form->SetProperty(L"Caption", L"plain words", error), S_OK);
    EXPECT_EQ(TextProperty(form->Object(L"Label3D1"), L"Caption"), L"plain words");

    auto edged = [&] { return (GetWindowLongW(Window(L"Splitter1"), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0; };
    EXPECT_FALSE(edged());
    ASSERT_EQ(form->SetDesignMode(true), S_OK);
    Pump();
    EXPECT_TRUE(edged()) << "the splitter's border shows in design mode";
    EXPECT_TRUE(IsWindowVisible(Window(L"TrayArea1"))) << "the tray control shows its icon in design mode";
    EXPECT_TRUE(Logged(L"(design mode)"));

    ASSERT_EQ(form->SetDesignMode(false), S_OK);
    Pump();
    EXPECT_FALSE(edged());
    EXPECT_FALSE(Window(L"TrayArea1"));
}

TEST_F(Gallery, SavesTheFormAsTextAndLoadsItBackOrNotAtAll) {
    ASSERT_EQ(form->Select(L"Label3D1"), S_OK);
    std::wstring error;
    ASSERT_EQ(form->SetProperty(L"Caption", L"\"Say \\\"hi\\\"\\nnow\"", error), S_OK) << Narrow(error);
    ASSERT_EQ(form->SetProperty(L"ForeColor1", L"&H000000FF&", error), S_OK) << Narrow(error);
    ASSERT_EQ(form->SetProperty(L"Font", L"Font(\"Tahoma\", 9.75, Italic)", error), S_OK) << Narrow(error);
    ASSERT_EQ(form->Select(L"Splitter1"), S_OK);
    ASSERT_EQ(form->SetProperty(L"SplitPercent", L"30", error), S_OK) << Narrow(error);
    ASSERT_EQ(form->SaveFile(path, error), S_OK) << Narrow(error);
    const std::string saved = ReadBytes(path);
    for (const char* line : {"\n[Label3D1]\n@type = Label3D\n", "\n@in = Splitter1.Control1\n", "\nCaption = \"Say \\\"hi\\\"\\nnow\"\n",
                             "\nForeColor1 = &H000000FF&\n", "\nFont = Font(\"Tahoma\", 9.75, Italic)\n", "\nSplitPercent = 30\n",
                             "\n[TrayArea1]\n@type = TrayArea\n@place = 3120, 2040, 480, 480\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << "\n" << saved;

    IUnknown* before = form->Object(L"Label3D1");
    ASSERT_EQ(form->SetProperty(L"SplitPercent", L"70", error), S_OK);
    ASSERT_EQ(form->LoadFile(path, error), S_OK) << Narrow(error);
    Pump();
    IUnknown* label = form->Object(L"Label3D1");
    ASSERT_TRUE(label);
    EXPECT_NE(label, before) << "made anew";
    EXPECT_EQ(TextProperty(label, L"Caption"), L"Say \"hi\"\nnow");
    EXPECT_EQ(NumberProperty(label, L"ForeColor1"), 0xFF);
    EXPECT_EQ(NumberProperty(form->Object(L"Splitter1"), L"SplitPercent"), 30);
    EXPECT_EQ(GetParent(Window(L"Label3D1")), Window(L"Splitter1"));
    ASSERT_EQ(form->SaveFile(path, error), S_OK);
    EXPECT_EQ(ReadBytes(path), saved) << "a loaded form saves as the same text";

    // Damaged files (a value that does not read, a control of no known type): refused with the line where
    // the fault starts, and the form keeps its controls.
    for (auto [from, to] : {std::pair{"SplitPercent = 30", "SplitPercent = 3O"},
                            {"[TrayArea1]\n@type = TrayArea\n", "[TrayArea1]\n@type = TrayAreas\n"}}) {
        const size_t at = saved.find(from);
        WriteBytes(path, std::string(saved).replace(at, strlen(from), to));
        const int line = 1 + static_cast<int>(std::count(saved.begin(), saved.begin() + at, '\n'));
        EXPECT_TRUE(FAILED(form->LoadFile(path, error)));
        EXPECT_EQ(error.rfind(L"line " + std::to_wstring(line) + L": ", 0), 0u) << Narrow(error);
        EXPECT_EQ(form->Object(L"Label3D1"), label) << "nothing changed";
        EXPECT_EQ(form->ControlNames().size(), 10u);
    }
}

} // namespace

// Places are twips: at any screen DPI the controls and lists sit where their twips say, and draw there.
// CTest runs this once more in a prefix set to 144 dots per inch (tools/wine-run-dpi.sh).
TEST_F(Gallery, KeepsTwipsPlacesAtTheScreensDpi) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    wchar_t expected[8] = L"";
    if (GetEnvironmentVariableW(L"GALLERY_EXPECT_DPI", expected, 8)) {
        EXPECT_EQ(dpi, _wtoi(expected));
    }
    auto px = [&](int twips) { return MulDiv(twips, dpi, 1440); };
    struct {
        HWND window;
        int left, top;
    } places[] = {{Window(L"Splitter1"), 120, 2880}, {Window(L"ColorSelector1"), 1440, 360},
                  {form->PropertyList(), 6240, 480}, {form->EventLog(), 120, 4830}};
    for (const auto& p : places) {
        const RECT r = PlaceOf(p.window);
        EXPECT_EQ((std::pair<long, long>{r.left, r.top}), (std::pair<long, long>{px(p.left), px(p.top)})) << dpi;
    }
    // A screen too small for the form (1024 pixels across hold 1164 at 144 DPI) clamps the window, not the places.
    if (GetSystemMetrics(SM_CXSCREEN) > px(11640) + 2 * GetSystemMetrics(SM_CXFRAME)) {
        RECT client;
        GetClientRect(form->hWnd(), &client);
        EXPECT_EQ(client.right, px(11640)) << "the whole form shows";
    }
    // The colour selector's swatch (black) inside it, the form's face just left of it.
    Snapshot shot(form->hWnd());
    EXPECT_EQ(shot.At(px(1440 + 240), px(360 + 150)), Shown(RGB(0, 0, 0)));
    EXPECT_EQ(shot.At(px(1440) - 3, px(360 + 150)), Shown(GetSysColor(COLOR_BTNFACE)));
}
