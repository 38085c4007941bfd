// Splitter in-process and on a form of ours: its layout through objects that record what it calls by name,
// two real controls placed inside it and dragged apart with mouse messages, its bar's cursors, its design
// frame and its persistence.
#include "host/control_site.h"
#include "label3d.h"
#include "control_test_support.h"
#include "com/named_dispatch.h"
#include "services/screen.h"
#include "splitter.h"

#include <cstdio>
#include <memory>

namespace {
using namespace test;

constexpr auto& Cpp = Implementation<Splitter, _Splitter>;

HWND BarOf(IUnknown* splitter) { return GetDlgItem(Cpp(splitter).hWnd(), 1); }

// Something a host hands over as one of the two controls: it writes down every call it gets.
class Recorder {
public:
    Recorder(const char* name, std::vector<std::string>* into, bool canMove = true) : log(into), name_(name) {
        EXPECT_EQ(NamedDispatch::Create(&object_), S_OK);
        if (canMove)
            object_->AddMethod(L"Move", [this](DISPPARAMS* params, VARIANT*) {
                char line[96];
                float v[4] = {};
                for (UINT i = 0; i < params->cArgs && i < 4; ++i) {
                    Variant f;
                    if (FAILED(VariantChangeType(f.put(), &params->rgvarg[params->cArgs - 1 - i], 0, VT_R4)))
                        return DISP_E_TYPEMISMATCH;
                    v[i] = f.get()->fltVal;
                }
                snprintf(line, sizeof line, "%s.Move %g %g %g %g", name_, v[0], v[1], v[2], v[3]);
                log->push_back(line);
                return S_OK;
            });
        object_->AddMethod(L"Refresh", [this](DISPPARAMS*, VARIANT*) {
            log->push_back(std::string(name_) + ".Refresh");
            return S_OK;
        });
    }
    IDispatch* get() const { return object_.Get(); }
    std::vector<std::string>* log;

private:
    const char* name_;
    ComPtr<NamedDispatch> object_;
};

using SplitterTest = LibraryTest;

TEST_F(SplitterTest, ANewSplitterSavesNothingAndKeepsWhatIsSet) {
    auto a = Loaded(CreateSplitter);
    ExpectAll(a.Get(), {{L"HorizontalSplit", Variant::Bool(false)},
                        {L"SplitPercent", Variant::I4(50)},
                        {L"SplitWidth", Variant::I4(80)}});
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
    auto b = New(CreateSplitter);
    ASSERT_EQ(Load(b.Get(), Bag({{L"HorizontalSplit", Variant::Str(L"maybe")},
                                 {L"SplitPercent", Variant::I4(300)},
                                 {L"SplitWidth", Variant::I4(120)}})
                                .Get()),
              S_OK);
    ExpectAll(b.Get(), {{L"HorizontalSplit", Variant::Bool(false)},
                        {L"SplitPercent", Variant::I4(0)},
                        {L"SplitWidth", Variant::I4(120)}});
}

// The splitter alone, 3000 by 1500 twips, with two recorders as its controls.
class SplitterLayout : public SplitterTest {
protected:
    void SetUp() override {
        SplitterTest::SetUp();
        splitter = Loaded(CreateSplitter);
        ComPtr<IOleObject> ole;
        ASSERT_EQ(splitter.As(&ole), S_OK);
        SIZEL extent{MulDiv(3000, 2540, 1440), MulDiv(1500, 2540, 1440)};
        ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
        first = std::make_unique<Recorder>("first", &log);
        second = std::make_unique<Recorder>("second", &log);
        ASSERT_EQ(PutProperty(splitter.Get(), L"Control1", Dispatch(first->get()), true), S_OK);
        ASSERT_EQ(PutProperty(splitter.Get(), L"Control2", Dispatch(second->get()), true), S_OK);
        log.clear();
    }
    void TearDown() override {
        splitter.Reset();
        first.reset();
        second.reset();
        SplitterTest::TearDown();
    }
    std::vector<std::string> Relayout() {
        log.clear();
        Cpp(splitter.Get()).SetWidth(3000); // a resize that changes nothing still lays out
        SendMessageW(Cpp(splitter.Get()).hWnd(), WM_SIZE, 0, MAKELPARAM(200, 100));
        return log;
    }

    ComPtr<IUnknown> splitter;
    std::vector<std::string> log;
    std::unique_ptr<Recorder> first, second;
};

TEST_F(SplitterLayout, MovesBothControlsByNameThenRefreshesThem) {
    EXPECT_EQ(Relayout(),
              (std::vector<std::string>{"first.Move 0 0 1460 1500", "second.Move 1540 0 1460 1500",
                                        "first.Refresh", "second.Refresh"}));

    log.clear();
    ASSERT_EQ(PutProperty(splitter.Get(), L"HorizontalSplit", Variant::Bool(true)), S_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"first.Move 0 0 3000 710", "second.Move 0 790 3000 710",
                                             "first.Refresh", "second.Refresh"}));

    // The width alone moves nothing until the next layout.
    log.clear();
    ASSERT_EQ(PutProperty(splitter.Get(), L"SplitWidth", Variant::I4(100)), S_OK);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Relayout()[0], "first.Move 0 0 3000 700");
}

TEST_F(SplitterLayout, EveryStepGoesOnWhenAnotherFails) {
    Recorder unmovable("still", &log, false);
    ASSERT_EQ(PutProperty(splitter.Get(), L"Control1", Dispatch(unmovable.get()), true), S_OK);
    EXPECT_EQ(Relayout(), (std::vector<std::string>{"second.Move 1540 0 1460 1500", "still.Refresh",
                                                    "second.Refresh"}));
    ASSERT_EQ(PutProperty(splitter.Get(), L"Control1", Dispatch(nullptr), true), S_OK) << "none";
    Variant none;
    ASSERT_EQ(GetProperty(splitter.Get(), L"Control1", none), S_OK);
    EXPECT_EQ(none.get()->pdispVal, nullptr);
    EXPECT_EQ(Relayout(), (std::vector<std::string>{"second.Move 1540 0 1460 1500", "second.Refresh"}));

    // Above 100 per cent the second size comes out negative; the moves are still asked for.
    log.clear();
    ASSERT_EQ(PutProperty(splitter.Get(), L"SplitPercent", Variant::I4(120)), S_OK);
    EXPECT_EQ(NumberProperty(splitter.Get(), L"SplitPercent"), 120);
    EXPECT_EQ(log[0], "second.Move 3584 0 -584 1500");
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
        bar = BarOf(Object());
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

    std::unique_ptr<ActiveXControl> left, right;
    HWND bar = nullptr;
};

TEST_F(HostedSplitter, ItsControlsAreItsChildrenInItsCoordinates) {
    ASSERT_TRUE(left->hWnd());
    EXPECT_EQ(GetParent(left->hWnd()), site->hWnd());
    const int h = Screen::TwipsToPixelsY(1500);
    EXPECT_EQ(PlaceOf(left->hWnd()), (RECT{0, 0, X(1460), h}));
    EXPECT_EQ(PlaceOf(right->hWnd()), (RECT{X(1540), 0, X(1540) + X(1460), h}));
    EXPECT_EQ(PlaceOf(bar), (RECT{X(1460), 0, X(1460) + X(80), h}));
    EXPECT_EQ(Cpp(Object()).BorderStyle(), 0) << "the design frame goes at run time";
    EXPECT_EQ(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "a bar without a border";
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
    EXPECT_EQ(PlaceOf(left->hWnd()).right, X(730));
    EXPECT_EQ(PlaceOf(right->hWnd()).left, X(810));
    EXPECT_EQ(PlaceOf(bar).left, X(730));

    // Past the end: the bar goes along, the split stops short of it.
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 2);
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 400);
    EXPECT_EQ(NumberProperty(Object(), L"SplitPercent"), 100);
    EXPECT_GT(PlaceOf(bar).left, X(3000));
    Mouse(WM_LBUTTONUP, 0, 400);
    EXPECT_EQ(PlaceOf(bar).left, X(2917)); // (3000 - 80) x 0.999
}

TEST_F(HostedSplitter, TheBarShowsTheSizingCursorOfItsDirection) {
    auto cursorOverBar = [this] {
        SendMessageW(bar, WM_SETCURSOR, reinterpret_cast<WPARAM>(bar), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(cursorOverBar(), LoadCursorW(nullptr, IDC_SIZEWE));
    ASSERT_EQ(PutProperty(Object(), L"HorizontalSplit", Variant::Bool(true)), S_OK);
    EXPECT_EQ(cursorOverBar(), LoadCursorW(nullptr, IDC_SIZENS));
    EXPECT_EQ(PlaceOf(left->hWnd()).right, X(3000)) << "laid out again, one above the other";
    EXPECT_EQ(PlaceOf(bar).top, Screen::TwipsToPixelsY(710));
}

TEST_F(HostedSplitter, AControlThatWentBeforeTheSplitterIsSkipped) {
    left.reset(); // the splitter still holds its extender
    site->Move(0, 0, 2000, 1500);
    Settle();
    EXPECT_EQ(PlaceOf(right->hWnd()).left, X(1040));
    EXPECT_EQ(PlaceOf(bar).left, X(960));
}

TEST_F(SplitterTest, ADesignerKeepsTheFrame) {
    HostForm form;
    ActiveXControl site(form, L"Splitter1");
    site.SetUserMode(false);
    ASSERT_EQ(site.Create(New(CreateSplitter).Get(), {}), S_OK);
    EXPECT_EQ(Cpp(site.Object()).BorderStyle(), 1);
}

} // namespace
