// The intrinsic controls on one form of this process, driven with real window messages and real input:
// events and their arguments, key routing, editing, default and cancel buttons, painting checked on pixels,
// floating picture boxes, mouse capture, shared font objects and what a control leaves behind.
#include "com_test_support.h"
#include "intrinsics/control.h"
#include "host/form.h"
#include "com/module.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {
using Microsoft::WRL::ComPtr;
using test::Shown;
using test::Snapshot;

using Log = std::vector<std::string>;

std::string Format(const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

float TwipsPerPixel(int index = LOGPIXELSX) {
    HDC screen = GetDC(nullptr);
    float tpp = 1440.0f / GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return tpp;
}

// The one form of the process; it records what reaches it as the children's container.
class TestForm final : public Form {
public:
    static constexpr OleColor kBack = 0x00336699; // no system colour looks like it

    TestForm() {
        SetCaption(L"Intrinsics");
        SetBackColor(kBack);
        SetClientSize(7200, 5400);
        SetWindowPos(hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        ShowWindow(hWnd(), SW_SHOW);
        SetForegroundWindow(hWnd());
        UpdateWindow(hWnd());
    }

    bool PreviewKey(Control&, UINT message, WPARAM wParam, LPARAM) override {
        if (log) log->push_back(Format("preview %u %u", message, unsigned(wParam)));
        return swallowKey != 0 && wParam == swallowKey;
    }
    void ChildFocus(Control& child, bool gained) override {
        if (log) log->push_back(Format("%s %s", gained ? "gained" : "lost", Name(child)));
    }

    Log* log = nullptr;
    WPARAM swallowKey = 0;
    std::function<const char*(Control&)> Name = [](Control&) { return "?"; };
};

TestForm& TheForm() {
    static TestForm form;
    return form;
}

// A control of the form at its place, in twips.
template <class C> struct Placed : C {
    Placed(int left, int top, int width, int height) : C(TheForm()) { C::Move(left, top, width, height); }
};

// Lets the form's loop handle what is queued, as the program's loop would.
void Pump() {
    for (int i = 0; i < 4; ++i) {
        DoEvents();
        Sleep(5);
    }
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(hwnd, message, wParam, lParam);
    Pump();
}

void Click(HWND hwnd, LPARAM at) {
    Post(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(hwnd, WM_LBUTTONUP, 0, at);
}

void PressKey(HWND hwnd, WORD key) {
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    Post(hwnd, WM_KEYDOWN, key, 1 | (scan << 16));
    Post(hwnd, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
}

// Real input, through the system's queue to whatever window is under the pointer or holds the mouse.
void MouseInput(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof(input));
    Pump();
}

void RecordMouse(Control& control, Log& log) {
    for (auto [event, name] : {std::pair{&Control::MouseDown, "down"}, {&Control::MouseMove, "move"},
                               {&Control::MouseUp, "up"}})
        control.*event = [&log, name = name](short b, short s, float x, float y) {
            log.push_back(Format("%s %d %d %g %g", name, b, s, x, y));
        };
    control.Click = [&log] { log.push_back("click"); };
    control.DblClick = [&log] { log.push_back("dblclick"); };
}

// Taking the mouse makes the system report where the real pointer is; such moves without a button held
// are not the ones a test made.
Log Pressed(Log& log) {
    log.erase(std::remove_if(log.begin(), log.end(), [](auto& e) { return e.rfind("move 0 ", 0) == 0; }),
              log.end());
    return log;
}

std::string At(const char* event, int button, int shift, int x, int y) {
    return Format("%s %d %d %g %g", event, button, shift, x * TwipsPerPixel(), y * TwipsPerPixel(LOGPIXELSY));
}

BOOL CALLBACK CollectToolTip(HWND hwnd, LPARAM lp) {
    wchar_t name[64];
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}

// The tool tip windows of this thread.
std::vector<HWND> ToolTips() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectToolTip, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ShownToolTip() {
    for (HWND tip : ToolTips())
        if (IsWindowVisible(tip)) return test::TextOf(tip);
    return L"";
}

// A label has no window: the form's messages over it are its own.
TEST(Mouse, EventsCarryButtonShiftAndTwipsAPressKeepsTheMouseAndAToolTipShows) {
    Log log;
    Placed<Label> label(1500, 1500, 1500, 600);
    Placed<TextBox> elsewhere(4500, 1500, 1500, 375);
    RecordMouse(label, log);
    const auto on = test::SurfaceOf(label);
    HWND h = on.window;

    Post(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, on.At(10, 7));
    Post(h, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, on.At(12, 8));
    Post(h, WM_LBUTTONUP, 0, on.At(12, 8));
    EXPECT_EQ(Pressed(log),
              (Log{At("down", 1, 1, 10, 7), At("move", 1, 2, 12, 8), At("up", 1, 0, 12, 8), "click"}));

    // A right or middle press is no click, nor is a left release outside the control. (Events in pixels, of a
    // box drawing in pixels, are color_button_test's palette's.)
    log.clear();
    Post(h, WM_RBUTTONDOWN, MK_RBUTTON, on.At(3, 4));
    Post(h, WM_RBUTTONUP, 0, on.At(3, 4));
    Post(h, WM_MBUTTONDOWN, MK_MBUTTON, on.At(1, 2));
    Post(h, WM_MBUTTONUP, 0, on.At(1, 2));
    Post(h, WM_LBUTTONDOWN, MK_LBUTTON, on.At(5, 5));
    Post(h, WM_LBUTTONUP, 0, on.At(-3, 500));
    EXPECT_EQ(Pressed(log), (Log{At("down", 2, 0, 3, 4), At("up", 2, 0, 3, 4), At("down", 4, 0, 1, 2),
                                 At("up", 4, 0, 1, 2), At("down", 1, 0, 5, 5), At("up", 1, 0, -3, 500)}));

    SetForegroundWindow(TheForm().hWnd()); // real input: the press keeps the mouse off the label
    MouseInput(MOUSEEVENTF_MOVE, on.OnScreen(10, 10));
    log.clear();
    MouseInput(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(label.HasCapture());
    MouseInput(MOUSEEVENTF_MOVE, on.OnScreen(-40, 10)); // onto the form
    MouseInput(MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(label.HasCapture());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ((Log{log.front(), log[log.size() - 2], log.back()}), // and no click
              (Log{At("down", 1, 0, 10, 10), At("move", 1, 0, -40, 10), At("up", 1, 0, -40, 10)}));

    log.clear(); // taken on purpose, the mouse stays until given back, wherever the pointer goes
    label.SetCapture();
    const POINT there = test::SurfaceOf(elsewhere).OnScreen(5, 5), origin = on.OnScreen(0, 0);
    MouseInput(MOUSEEVENTF_MOVE, there);
    EXPECT_TRUE(label.HasCapture());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), At("move", 0, 0, there.x - origin.x, there.y - origin.y));
    label.ReleaseCapture();
    EXPECT_FALSE(label.HasCapture());

    log.clear(); // a handler that throws stops there, and the control goes on
    label.Click = [&log] {
        log.push_back("click");
        throw std::runtime_error("handler failed");
    };
    Click(h, on.At(2, 2));
    Click(h, on.At(2, 2));
    EXPECT_EQ(std::count(log.begin(), log.end(), "click"), 2);
    EXPECT_FALSE(label.HasCapture());

    // The tool tip shows where the pointer rests and goes with its text. (The pointers themselves are
    // hyperlink_test's, a custom icon over a label, and splitter_test's, sizing.)
    label.SetToolTipText(L"Where the link goes");
    MouseInput(MOUSEEVENTF_MOVE, on.OnScreen(20, 10));
    MouseInput(MOUSEEVENTF_MOVE, on.OnScreen(21, 11));
    EXPECT_TRUE(test::WaitUntil([] { DoEvents(); return ShownToolTip() == L"Where the link goes"; },
                                std::chrono::seconds(3)));
    label.SetToolTipText(L"");
    EXPECT_TRUE(ShownToolTip().empty());
    EXPECT_EQ(label.SetMousePointer(16), CTL_E_INVALIDPROPERTYVALUE);
}

TEST(Keys, PreviewThenEventsThenTheWindowAndHandlersMayChangeOrSwallow) {
    Log log;
    Placed<TextBox> box(300, 300, 2400, 375);
    box.KeyDown = [&log](short& code, short shift) { log.push_back(Format("KeyDown %d %d", code, shift)); };
    box.KeyUp = [&log](short& code, short shift) { log.push_back(Format("KeyUp %d %d", code, shift)); };
    box.KeyPress = [&log](short& ascii) {
        log.push_back(Format("KeyPress %d", ascii));
        if (ascii == 'b') ascii = 'c';
        if (ascii == 'x') ascii = 0;
    };
    ASSERT_EQ(box.SetFocus(), S_OK);
    TheForm().log = &log;

    PressKey(box.hWnd(), 'A');
    EXPECT_EQ(log, (Log{"preview 256 65", "KeyDown 65 0", "preview 258 97", "KeyPress 97", "preview 257 65",
                        "KeyUp 65 0"}));
    PressKey(box.hWnd(), 'B'); // typed as c
    PressKey(box.hWnd(), 'X'); // typed as nothing
    EXPECT_EQ(box.Text(), L"ac");

    log.clear(); // the container swallows a key before the control sees it
    box.SetSelStart(0);
    TheForm().swallowKey = VK_DELETE;
    PressKey(box.hWnd(), VK_DELETE);
    EXPECT_EQ(log, (Log{"preview 256 46", "preview 257 46"}));
    EXPECT_EQ(box.Text(), L"ac");
    TheForm().swallowKey = 0;

    box.KeyDown = [](short& code, short) { code = 0; }; // the control's own handler swallows it
    PressKey(box.hWnd(), VK_DELETE);
    EXPECT_EQ(box.Text(), L"ac");
    box.KeyDown = nullptr;
    PressKey(box.hWnd(), VK_DELETE);
    EXPECT_EQ(box.Text(), L"c");

    short seen = -1; // the shift state: Shift and Ctrl from the keyboard, Alt from the system key message
    box.KeyDown = [&seen](short&, short shift) { seen = shift; };
    BYTE keys[256], held[256];
    GetKeyboardState(keys);
    memcpy(held, keys, sizeof(keys));
    held[VK_SHIFT] = held[VK_CONTROL] = 0x80;
    SetKeyboardState(held);
    Post(box.hWnd(), WM_KEYDOWN, VK_HOME, 1);
    SetKeyboardState(keys);
    EXPECT_EQ(seen, 3);
    Post(box.hWnd(), WM_SYSKEYDOWN, VK_DOWN, 1 | (1 << 29));
    EXPECT_EQ(seen, 4);
    TheForm().log = nullptr;

    // With KeyPreview the form's own key events come first, for any control of the form.
    box.SetText(L"");
    TheForm().KeyPreview = true;
    TheForm().KeyPress = [](short& ascii) { ascii = ascii == 'q' ? 'w' : ascii; };
    TheForm().KeyDown = [&seen](short& code, short) { seen = code == 'Z' ? (code = 0, -2) : seen; };
    PressKey(box.hWnd(), 'Q');
    PressKey(box.hWnd(), 'Z');
    EXPECT_EQ(box.Text(), L"w");
    EXPECT_EQ(seen, -2); // the form swallowed it before the control's KeyDown saw it
    TheForm().KeyPreview = false;
    TheForm().KeyPress = nullptr;
    TheForm().KeyDown = nullptr;
}

TEST(TextBox, ChangeSelectionLockedMaxLengthAlignmentAndPlaceInTwips) {
    CommandButton other(TheForm());
    Placed<TextBox> box(300, 300, 2400, 375);
    int changes = 0;
    box.Change = [&changes] { ++changes; };
    using Edit = std::pair<std::wstring, int>; // the text, and how many Change events came
    auto edited = [&] { return Edit(box.Text(), changes); };
    box.SetFocus();

    box.SetText(L"hello world");
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(box.SetSelStart(6), S_OK);
    ASSERT_EQ(box.SetSelLength(5), S_OK);
    EXPECT_EQ(box.SelText(), L"world");
    box.SetSelText(L"there");
    EXPECT_EQ(edited(), Edit(L"hello there", 2));
    EXPECT_EQ(std::pair(box.SelStart(), box.SelLength()), std::pair(11L, 0L));
    box.SetSelStart(2);
    box.SetSelLength(100); // stops at the end
    EXPECT_EQ(box.SelText(), L"llo there"); // SelStart stopping at the end is scripts/browse_boxes.js's
    EXPECT_EQ(box.SetSelStart(-1), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(box.SetSelLength(-1), CTL_E_INVALIDPROPERTYVALUE);

    PressKey(box.hWnd(), 'Z'); // typing over the selection raises Change too
    EXPECT_EQ(edited(), Edit(L"hez", 3));

    box.SetLocked(true);
    PressKey(box.hWnd(), 'Q');
    EXPECT_EQ(box.Text(), L"hez");
    box.SetLocked(false);

    box.SetText(L"");
    ASSERT_EQ(box.SetMaxLength(3), S_OK);
    for (WORD key : {'A', 'B', 'C', 'D', 'E'})
        PressKey(box.hWnd(), key);
    EXPECT_EQ(box.Text(), L"abc");
    box.SetText(L"longer by code"); // the limit is for typing only
    EXPECT_EQ(box.Text(), L"longer by code");

    other.SetFocus(); // no caret in the way
    box.SetText(L"ab");
    const COLORREF ground = Shown(ResolveColor(box.BackColor()));
    EXPECT_LT(Snapshot(box.hWnd()).LeftmostNot(ground), 20);
    changes = 0;
    box.SetSelStart(1);
    ASSERT_EQ(box.SetAlignment(1), S_OK);
    EXPECT_GT(Snapshot(box.hWnd()).LeftmostNot(ground), 80);
    EXPECT_EQ(edited(), Edit(L"ab", 0));
    box.SetFocus();
    PressKey(box.hWnd(), 'C'); // the new window is still the same control to its owner
    EXPECT_EQ(edited(), Edit(L"acb", 1));
    EXPECT_EQ(box.SetAlignment(3), CTL_E_INVALIDPROPERTYVALUE);

    // Twips read back as given, a negative size moves nothing, and moved by someone else, the control reads
    // its place from the window.
    auto place = [&box] { return std::array<int, 4>{box.Left(), box.Top(), box.Width(), box.Height()}; };
    ASSERT_EQ(box.Move(1001, 503, 1234, 567), S_OK);
    EXPECT_EQ(place(), (std::array<int, 4>{1001, 503, 1234, 567}));
    EXPECT_EQ(box.Move(0, 0, -15, 100), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(box.SetHeight(-1), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(place(), (std::array<int, 4>{1001, 503, 1234, 567}));
    SetWindowPos(box.hWnd(), nullptr, 10, 20, 30, 40, SWP_NOZORDER);
    EXPECT_EQ(box.Left(), int(10 * TwipsPerPixel() + 0.5f));
    EXPECT_EQ(box.Width(), int(30 * TwipsPerPixel() + 0.5f));
}

TEST(Focus, EventsAndTheContainerFollowEachMoveAndUnusableControlsRefuseIt) {
    Log log;
    Placed<TextBox> first(300, 300, 1500, 375), second(300, 900, 1500, 375);
    first.GotFocus = [&log] { log.push_back("GotFocus first"); };
    first.LostFocus = [&log] { log.push_back("LostFocus first"); };
    second.GotFocus = [&log] { log.push_back("GotFocus second"); };
    TheForm().Name = [&first](Control& c) { return &c == &first ? "first" : "second"; };
    TheForm().log = &log;

    ASSERT_EQ(first.SetFocus(), S_OK);
    ASSERT_EQ(second.SetFocus(), S_OK);
    EXPECT_EQ(log, (Log{"GotFocus first", "gained first", "LostFocus first", "lost first", "GotFocus second",
                        "gained second"}));
    TheForm().log = nullptr;

    Placed<PictureBox> box(300, 1500, 900, 600); // it takes the focus on a press when it is a tab stop
    for (bool stop : {false, true}) {
        box.SetTabStop(stop);
        Click(box.hWnd(), MAKELPARAM(5, 5));
        EXPECT_EQ(GetFocus(), stop ? box.hWnd() : second.hWnd());
    }

    second.SetFocus(); // a disabled control refuses it (a hidden one is browse_box_test's parked field)
    first.SetEnabled(false);
    EXPECT_EQ(first.SetFocus(), CTL_E_ILLEGALFUNCTIONCALL);
    EXPECT_EQ(GetFocus(), second.hWnd());
}

TEST(Form, TabOrderIsDeclarationOrderWithOneStopPerOptionGroupWhoseValueSelectsOne) {
    Placed<TextBox> box(300, 300, 1500, 330);
    Placed<OptionButton> star(300, 700, 1500, 330), cross(300, 1100, 1500, 330);
    Placed<Label> label(300, 1500, 1500, 330);
    Placed<CommandButton> button(300, 1900, 1500, 330);
    Placed<TextBox> last(300, 2300, 1500, 330);
    EXPECT_FALSE(star.Value() || cross.Value()); // none selected at start
    auto tab = [] { PressKey(GetFocus(), VK_TAB); return GetFocus(); };
    box.SetFocus();
    EXPECT_EQ((std::vector<HWND>{tab(), tab(), tab()}),
              (std::vector<HWND>{star.hWnd(), button.hWnd(), last.hWnd()}));

    HWND foreign = CreateWindowExW(0, L"BUTTON", L"foreign", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 200, 20, 80,
                                   20, TheForm().hWnd(), nullptr, nullptr, nullptr);
    TheForm().PlaceInTabOrder(foreign, button.hWnd());
    button.SetFocus();
    EXPECT_EQ(tab(), foreign);
    EXPECT_EQ(tab(), last.hWnd());
    label.SetCaption(L"&Name"); // a label's access key moves the focus to the control after it
    Post(GetFocus(), WM_SYSCHAR, 'n', 1 | (1 << 29));
    EXPECT_EQ(GetFocus(), button.hWnd());
    EXPECT_EQ(TheForm().Controls().size(), 6u); // ours, not the foreign window
    DestroyWindow(foreign);

    int clicks = 0; // a value put selects one option of the group and clicks it
    cross.Click = [&clicks] { ++clicks; };
    star.SetValue(true);
    cross.SetValue(true);
    EXPECT_EQ(std::tuple(star.Value(), cross.Value(), clicks), std::tuple(false, true, 1));
    cross.SetValue(false);
    EXPECT_EQ(clicks, 1);
}

TEST(CommandButton, EnterAndEscapePressDefaultAndCancelMouseAndSpaceClick) {
    Log log;
    Placed<TextBox> box(300, 300, 1500, 375);
    Placed<CommandButton> ok(300, 900, 1200, 375), cancel(300, 1500, 1200, 375), other(300, 2100, 1200, 375);
    ok.Click = [&log] { log.push_back("ok"); };
    cancel.Click = [&log] { log.push_back("cancel"); };
    RecordMouse(other, log);
    other.Click = [&log] { log.push_back("other"); };
    ok.SetDefault(true);
    cancel.SetCancel(true);

    box.SetFocus();
    PressKey(box.hWnd(), VK_RETURN);
    PressKey(box.hWnd(), VK_ESCAPE);
    EXPECT_EQ(log, (Log{"ok", "cancel"}));

    log.clear(); // the focused button is the one Enter presses; space presses it as well
    other.SetFocus();
    PressKey(other.hWnd(), VK_RETURN);
    PressKey(other.hWnd(), VK_SPACE);
    EXPECT_EQ(log, (Log{"other", "other"}));

    log.clear(); // a hidden default presses nothing (a cancel switched off and on is color_button_test's)
    box.SetFocus();
    ok.SetVisible(false);
    PressKey(box.hWnd(), VK_RETURN);
    EXPECT_TRUE(log.empty());

    other.SetDefault(true); // one default per form
    EXPECT_FALSE(ok.Default());

    Click(other.hWnd(), MAKELPARAM(5, 5));
    EXPECT_EQ(log, (Log{At("down", 1, 0, 5, 5), At("up", 1, 0, 5, 5), "other"}));
}

// See-through labels over each other, their border and a disabled caption are label3d_test's.
TEST(Label, OpaqueBackAndWhatChangesBehindASeeThroughOneOnPixels) {
    Placed<Label> front(600, 600, 1800, 600), back(600, 600, 1800, 600); // the first one made is in front
    back.SetCaption(L"WWWW");
    back.SetForeColor(0x000000FF);
    back.SetBackStyle(0);
    ASSERT_EQ(front.SetBackStyle(1), S_OK);
    front.SetBackColor(0x00FFFFFF);
    Snapshot opaque(front);
    EXPECT_EQ(opaque.At(0, 0), Shown(0xFFFFFF));
    EXPECT_EQ(opaque.Count(Shown(0x0000FF)), 0) << "the label behind shows through an opaque one";
    EXPECT_EQ(front.SetBorderStyle(2), CTL_E_INVALIDPROPERTYVALUE);

    front.SetBackStyle(0);
    EXPECT_GT(Snapshot(front).Count(Shown(0x0000FF)), 10);
    back.SetCaption(L""); // followed without a full redraw
    EXPECT_EQ(Snapshot(front, false).Count(Shown(0x0000FF)), 0);
}

// Painting, mouse events in pixels and the focus staying put are color_button_test's (its palette).
TEST(PictureBox, FloatsAsAnOwnedToolWindowThatPaintsAndTakesNoFocus) {
    auto popup = std::make_unique<PictureBox>(TheForm());
    popup->SetVisible(false);
    ASSERT_EQ(popup->SetBorderStyle(0), S_OK);
    popup->SetScaleMode(3);
    popup->Paint = [&popup] { popup->Line(0, 20, 39, 20, 0x0000FF00); };

    popup->Float();
    popup->MoveScreen(300, 200, 40, 30);
    popup->SetVisible(true);
    Pump();
    HWND h = popup->hWnd();
    EXPECT_EQ(GetWindow(h, GW_OWNER), TheForm().hWnd());
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_POPUP);
    EXPECT_EQ(GetWindowLongW(h, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    RECT r, placed{300, 200, 340, 230};
    GetWindowRect(h, &r);
    EXPECT_TRUE(EqualRect(&r, &placed));
    EXPECT_EQ(popup->ScaleWidth(), 40.0f);

    EXPECT_EQ(Snapshot(h, false).At(39, 20), Shown(0x00FF00)); // the line's last point included
    EXPECT_EQ(
        SendMessageW(h, WM_MOUSEACTIVATE, WPARAM(TheForm().hWnd()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
        MA_NOACTIVATE);
    popup.reset();
    EXPECT_FALSE(IsWindow(h)); // destroyed with its control, though no child of the form
}

int Connections(IFont* font) {
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    if (FAILED(font->QueryInterface(IID_PPV_ARGS(&points))) ||
        FAILED(points->FindConnectionPoint(IID_IPropertyNotifySink, &point)))
        return -1;
    HRESULT hr = point->EnumConnections(&connections);
    if (hr == CONNECT_E_NOCONNECTION || hr == OLE_E_NOCONNECTION) return 0; // how some report none
    if (FAILED(hr)) return int(hr);
    int n = 0;
    CONNECTDATA data;
    while (connections->Next(1, &data, nullptr) == S_OK) {
        data.pUnk->Release();
        ++n;
    }
    return n;
}

TEST(Font, ObjectsAreSharedByReferenceAndChangesThroughThemShow) {
    ComPtr<IFont> shared = MakeFont({L"Tahoma", 10});
    Label label(TheForm());
    label.SetCaption(L"Shared font");
    label.SetAutoSize(true);
    {
        TextBox box(TheForm());
        ASSERT_EQ(box.SetFont(shared), S_OK);
        ASSERT_EQ(label.SetFont(shared), S_OK);
        EXPECT_EQ(box.Font().Get(), shared.Get());
        EXPECT_EQ(Connections(shared.Get()), 2);

        auto before = reinterpret_cast<HFONT>(SendMessageW(box.hWnd(), WM_GETFONT, 0, 0));
        int width = label.Width();
        shared->put_Bold(TRUE);
        LOGFONTW bold{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(box.hWnd(), WM_GETFONT, 0, 0)), sizeof(bold), &bold);
        EXPECT_EQ(bold.lfWeight, FW_BOLD);
        EXPECT_EQ(GetObjectType(before), 0u); // the old GDI font is gone, not leaked
        CY size{};
        size.int64 = 200000;
        shared->put_Size(size);
        EXPECT_GT(label.Width(), width); // the auto-sized label grew with the font
    }
    EXPECT_EQ(Connections(shared.Get()), 1);
    label.SetFont(MakeFont({L"Tahoma", 10}));
    EXPECT_EQ(Connections(shared.Get()), 0);
    EXPECT_EQ(label.SetFont(nullptr), E_POINTER);

    // A new control starts with a copy of the form's font, not the form's own object.
    Label fresh(TheForm());
    Bstr name;
    CY size{};
    fresh.Font()->get_Name(name.put());
    fresh.Font()->get_Size(&size);
    EXPECT_EQ(name.str(), L"MS Sans Serif");
    EXPECT_EQ(size.int64, 82500);
    EXPECT_NE(fresh.Font().Get(), TheForm().Font().Get());
}

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(Resources, NothingOutlivesTheControlsThatUsedIt) {
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    ComPtr<IPicture> picture = PictureFromBitmap(bitmap, true);
    const ULONG pictureRefs = References(picture.Get());
    const auto before = std::tuple(pictureRefs, ToolTips().size(), Module::LockCount());
    std::vector<HFONT> fonts;
    for (int round = 0; round < 10; ++round) {
        Label label(TheForm());
        TextBox box(TheForm());
        CommandButton button(TheForm());
        PictureBox pic(TheForm());
        Image image(TheForm());
        button.SetPicture(picture);
        pic.SetPicture(picture);
        image.SetPicture(picture);
        for (Control* c : std::vector<Control*>{&label, &box, &button, &pic, &image}) {
            c->SetToolTipText(L"tip");
            c->SetBackColor(0x00123456);
            c->Move(300, 300, 900, 300);
            c->SetFont(MakeFont({L"Tahoma", 9.75f + round}));
            if (c->hWnd()) fonts.push_back(reinterpret_cast<HFONT>(SendMessageW(c->hWnd(), WM_GETFONT, 0, 0)));
        }
        Snapshot{label}; // paint them all once
        EXPECT_GT(References(picture.Get()), pictureRefs);
    }
    EXPECT_EQ(std::tuple(References(picture.Get()), ToolTips().size(), Module::LockCount()), before)
        << "a reference to the picture, a tool tip or a font connection (a module lock) left behind";
    EXPECT_EQ(std::count(fonts.begin(), fonts.end(), nullptr), 0);
    for (HFONT font : fonts)
        EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(GetObjectType(bitmap), DWORD(OBJ_BITMAP)); // the caller's picture is still whole
    picture.Reset();
    EXPECT_EQ(GetObjectType(bitmap), 0u);
}

} // namespace
