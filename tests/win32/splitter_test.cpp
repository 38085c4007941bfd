// Splitter in-process and hosted: layout through recording objects, a real drag, cursors, frame, persistence.
#include "com/named_dispatch.h"
#include "control_test_support.h"
#include "label3d.h"
#include "services/screen.h"
#include "splitter.h"

#include <array>
#include <cstdio>

namespace {
using namespace test;

constexpr auto& Cpp = Implementation<Splitter, _Splitter>;
using Log = std::vector<std::string>;

// Something a host hands over as one of the two controls: it writes down every call it gets.
ComPtr<NamedDispatch> Recorder(const std::string& name, Log* log, bool canMove = true) {
    ComPtr<NamedDispatch> object;
    EXPECT_EQ(NamedDispatch::Create(&object), S_OK);
    if (canMove)
        object->AddMethod(L"Move", [=](DISPPARAMS* params, VARIANT*) {
            std::string line = name + ".Move";
            for (UINT i = params->cArgs; i-- > 0;) {
                Variant number;
                RETURN_IF_FAILED(VariantChangeType(number.put(), &params->rgvarg[i], 0, VT_R4));
                char text[32];
                snprintf(text, sizeof text, " %g", number.get()->fltVal);
                line += text;
            }
            log->push_back(line);
            return S_OK;
        });
    object->AddMethod(L"Refresh", [=](DISPPARAMS*, VARIANT*) {
        log->push_back(name + ".Refresh");
        return S_OK;
    });
    return object;
}

using SplitterTest = LibraryTest;

TEST_F(SplitterTest, ANewSplitterSavesNothingAndKeepsWhatIsSet) {
    auto a = Loaded(CreateSplitter);
    EXPECT_TRUE(Keys(Saved(a.Get()).Get()).empty());

    // Late-bound callers pass by value what the interface takes by reference.
    const Values values = {{L"HorizontalSplit", Variant::Bool(true)},
                           {L"SplitPercent", Variant::I4(33)},
                           {L"SplitWidth", Variant::I4(120)}};
    PutAll(a.Get(), values);
    EXPECT_EQ(PutProperty(a.Get(), L"SplitWidth", Variant::I4(256)), DISP_E_OVERFLOW);
    auto bag = Saved(a.Get());
    EXPECT_EQ(Keys(bag.Get()), (std::vector<std::wstring>{L"HorizontalSplit", L"SplitPercent", L"SplitWidth"}));
    EXPECT_EQ(Stored(bag.Get(), L"SplitPercent").type(), VT_UI1);
    ExpectAll(Loaded(CreateSplitter, bag.Get()).Get(), values);

    // A key that cannot be read leaves its property as it was, and the others load.
    const auto unreadable = Bag({{L"HorizontalSplit", Variant::Str(L"maybe")},
                                 {L"SplitPercent", Variant::I4(300)},
                                 {L"SplitWidth", Variant::I4(120)}});
    ExpectAll(Loaded(CreateSplitter, unreadable.Get()).Get(), {{L"HorizontalSplit", Variant::Bool(false)},
                                                               {L"SplitPercent", Variant::I4(0)},
                                                               {L"SplitWidth", Variant::I4(120)}});
}

// Splitter on a form of ours in run mode, two Label3D controls placed inside it.
class HostedSplitter : public HostedControl {
protected:
    void SetUp() override {
        Host(CreateSplitter, DIID___Splitter, nullptr, L"Splitter1", 3000, 1500);
        left = std::make_unique<ActiveXControl>(*site, L"Left");
        right = std::make_unique<ActiveXControl>(*site, L"Right");
        ASSERT_EQ(left->Create(New(CreateLabel3D).Get(), {}), S_OK);
        ASSERT_EQ(right->Create(New(CreateLabel3D).Get(), {}), S_OK);
        PutAll(Object(), {{L"Control1", Dispatch(ExtenderOf(left->Object()).Get())},
                          {L"Control2", Dispatch(ExtenderOf(right->Object()).Get())}});
        bar = GetDlgItem(Cpp(Object()).hWnd(), 1);
        Settle();
    }
    void TearDown() override {
        right.reset();
        left.reset();
        HostedControl::TearDown();
    }
    static int X(int twips) { return Screen::TwipsToPixelsX(twips); }
    void Mouse(UINT message, WPARAM keys, int x) {
        PostMessageW(bar, message, keys, MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), 10));
        Settle();
    }
    HCURSOR CursorOverBar() {
        SendMessageW(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(bar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    void Put(const wchar_t* control, IDispatch* object) {
        ASSERT_EQ(PutProperty(Object(), control, Dispatch(object), true), S_OK);
        log.clear();
    }
    // What the recorders hear when a property is put.
    Log Heard(const wchar_t* name, const Variant& value) {
        log.clear();
        EXPECT_EQ(PutProperty(Object(), name, value), S_OK) << Narrow(name);
        return log;
    }
    Log Relayout() { return Heard(L"SplitPercent", Variant::I4(NumberProperty(Object(), L"SplitPercent"))); }

    std::unique_ptr<ActiveXControl> left, right;
    HWND bar = nullptr;
    Log log; // the recorders write here until the splitter lets them go
};

TEST_F(HostedSplitter, ItsControlsAreItsChildrenInItsCoordinatesAndTheBarShowsTheSizingCursor) {
    EXPECT_EQ(GetParent(left->hWnd()), site->hWnd());
    const int h = Screen::TwipsToPixelsY(1500);
    EXPECT_EQ(PlaceOf(left->hWnd()), (RECT{0, 0, X(1460), h}));
    EXPECT_EQ(PlaceOf(right->hWnd()), (RECT{X(1540), 0, X(1540) + X(1460), h}));
    EXPECT_EQ(PlaceOf(bar), (RECT{X(1460), 0, X(1460) + X(80), h}));
    EXPECT_EQ(Cpp(Object()).BorderStyle(), 0) << "the design frame goes at run time";
    EXPECT_EQ(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "a bar without a border";

    EXPECT_EQ(CursorOverBar(), LoadCursorW(nullptr, IDC_SIZEWE));
    ASSERT_EQ(PutProperty(Object(), L"HorizontalSplit", Variant::Bool(true)), S_OK);
    EXPECT_EQ(CursorOverBar(), LoadCursorW(nullptr, IDC_SIZENS));
    EXPECT_EQ(PlaceOf(left->hWnd()).right, X(3000)) << "laid out again, one above the other";
    EXPECT_EQ(PlaceOf(bar).top, Screen::TwipsToPixelsY(710));
}

TEST_F(HostedSplitter, DraggingTheBarWithTheLeftButtonAloneMovesTheSplit) {
    ASSERT_EQ(Screen::TwipsPerPixelX(), 15.0f) << "the pointer positions below assume 96 dots per inch";
    Mouse(WM_RBUTTONDOWN, MK_RBUTTON, 2);
    Mouse(WM_MOUSEMOVE, MK_RBUTTON, -42);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, -42);
    EXPECT_EQ(PlaceOf(bar).left, X(1460)) << "the right button, alone or with the left, does not drag";
    Mouse(WM_RBUTTONUP, 0, -42);
    EXPECT_EQ(NumberProperty(Object(), L"SplitPercent"), 50);

    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 2);
    EXPECT_EQ(GetWindow(site->hWnd(), GW_CHILD), bar) << "in front of the two controls";
    // The pointer 42 pixels left of the bar's left edge: the bar's left edge goes to 750 of 3000.
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, -42);
    EXPECT_EQ(PlaceOf(bar).left, X(750)) << "the bar follows";
    EXPECT_EQ(PlaceOf(left->hWnd()).right, X(1460)) << "the controls wait for the release";
    EXPECT_EQ(NumberProperty(Object(), L"SplitPercent"), 25);
    EXPECT_EQ(Snapshot(bar).At(1, 1), Shown(GetSysColor(COLOR_APPWORKSPACE))) << "darker while dragged";
    Mouse(WM_LBUTTONUP, 0, -42);
    EXPECT_EQ(Snapshot(bar).At(1, 1), Shown(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ((std::array{PlaceOf(left->hWnd()).right, PlaceOf(bar).left, PlaceOf(right->hWnd()).left}),
              (std::array<LONG, 3>{X(730), X(730), X(810)}));

    // Past the end: the bar goes along, the split stops short of it.
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 2);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 400);
    EXPECT_EQ(NumberProperty(Object(), L"SplitPercent"), 100);
    EXPECT_GT(PlaceOf(bar).left, X(3000));
    Mouse(WM_LBUTTONUP, 0, 400);
    EXPECT_EQ(PlaceOf(bar).left, X(2917)); // (3000 - 80) x 0.999
}

TEST_F(HostedSplitter, MovesBothControlsByNameThenRefreshesThemEachStepGoingOnWhenAnotherFails) {
    auto unmovable = Recorder("still", &log, false), first = Recorder("first", &log),
         second = Recorder("second", &log);
    Put(L"Control1", unmovable.Get());
    Put(L"Control2", second.Get());
    EXPECT_EQ(Relayout(), (Log{"second.Move 1540 0 1460 1500", "still.Refresh", "second.Refresh"}));
    Put(L"Control1", nullptr);
    EXPECT_EQ(Relayout(), (Log{"second.Move 1540 0 1460 1500", "second.Refresh"}));

    Put(L"Control1", first.Get());
    EXPECT_EQ(Relayout(), (Log{"first.Move 0 0 1460 1500", "second.Move 1540 0 1460 1500", "first.Refresh",
                               "second.Refresh"}));
    EXPECT_EQ(Heard(L"HorizontalSplit", Variant::Bool(true)),
              (Log{"first.Move 0 0 3000 710", "second.Move 0 790 3000 710", "first.Refresh", "second.Refresh"}));
    EXPECT_TRUE(Heard(L"SplitWidth", Variant::I4(100)).empty()) << "the width alone waits for the next layout";
    EXPECT_EQ(Relayout().at(0), "first.Move 0 0 3000 700");
    // Above 100 per cent the second size comes out negative; the moves are still asked for.
    EXPECT_EQ(Heard(L"SplitPercent", Variant::I4(120)).at(1), "second.Move 0 1780 3000 -280");
}

TEST_F(HostedSplitter, AControlThatWentBeforeTheSplitterIsSkipped) {
    left.reset(); // the splitter still holds its extender
    site->Move(0, 0, 2000, 1500);
    Settle();
    EXPECT_EQ(PlaceOf(right->hWnd()).left, X(1040));
    EXPECT_EQ(PlaceOf(bar).left, X(960));
}

// Laid out before its container says it is a designer's, it still keeps the frame.
TEST_F(SplitterTest, ADesignerKeepsTheFrame) {
    HostForm form;
    ActiveXControl site(form, L"Splitter1");
    site.SetUserMode(false);
    ASSERT_EQ(site.Create(New(CreateSplitter).Get(), {}), S_OK);
    EXPECT_EQ(Cpp(site.Object()).BorderStyle(), 1);
}

} // namespace
