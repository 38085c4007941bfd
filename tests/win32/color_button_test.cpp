// ColorButton on a form of ours, driven by real window messages, its colour dialog through the platform seam.
#include "color_button.h"
#include "color_geometry.h"
#include "color_test_support.h"
#include "custom_color_block.h"

namespace {
using namespace test;

constexpr unsigned kWhite = 0x00FFFFFF;
const color::PaletteTable kPalette = color::BuildPaletteTable();

POINT Centre(int k) {
    const color::PixelRect& r = kPalette[static_cast<size_t>(k)].CellRect;
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

Variant Color(OLE_COLOR value) {
    Variant v;
    v.put()->vt = VT_UI4;
    v.get()->ulVal = value;
    return v;
}

// The face's focus rectangle, on its fourth pixel row.
int FocusDots(HWND control) {
    return test::FocusDots(control, 3, GetSysColor(COLOR_BTNFACE));
}

// A ColorButton 100 pixels wide, wider than its palette, on a form with a label, a button and the form's
// cancel button.
class ColorButtonTest : public ColorControlTest {
protected:
    void SetUp() override {
        Host(CreateColorButton, DIID___ColorButton, 1500, 330);
        label = std::make_unique<Label>(*form);
        ok = std::make_unique<CommandButton>(*form);
        cancel = std::make_unique<CommandButton>(*form);
        ok->Move(3000, 150, 900, 375);
        cancel->Move(3000, 600, 900, 375);
        cancel->SetCancel(true);
        cancel->Click = [this] { ++cancelClicks; };
        control = site->hWnd();
        popup = platform.popup = FloatingBox();
        ASSERT_TRUE(popup);
        SetFocus(control);
        Settle();
    }
    void TearDown() override {
        cancel.reset();
        ok.reset();
        label.reset();
        ColorControlTest::TearDown();
    }

    void Open() {
        Press(control, 10, 10);
        ASSERT_TRUE(IsWindowVisible(popup));
        ASSERT_EQ(GetCapture(), popup);
    }
    void MoveTo(POINT p) { Post(popup, WM_MOUSEMOVE, 0, p.x, p.y); }
    void ReleaseAt(POINT p) { Post(popup, WM_LBUTTONUP, 0, p.x, p.y); }
    bool Closed() const { return !IsWindowVisible(popup) && GetCapture() != popup; }

    std::unique_ptr<Label> label;
    std::unique_ptr<CommandButton> ok, cancel;
    HWND control = nullptr, popup = nullptr;
    int cancelClicks = 0;
};

TEST_F(ColorButtonTest, ALeftReleaseChoosesTheCellEnteredLastAndOtherReleasesNothing) {
    Open();
    RECT rc, pr;
    GetWindowRect(control, &rc);
    GetWindowRect(popup, &pr);
    EXPECT_EQ(pr, (RECT{rc.right - 94, rc.bottom, rc.right, rc.bottom + 141}));
    EXPECT_EQ(GetWindowLongW(popup, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE), WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetFocus(), control) << "the palette took the focus";

    // Pressed on one cell, released on another: the second.
    MoveTo(Centre(1));
    Post(popup, WM_LBUTTONDOWN, MK_LBUTTON, Centre(1).x, Centre(1).y);
    MoveTo(Centre(6));
    ReleaseAt(Centre(6));
    EXPECT_EQ(Outcome(), (std::pair{0x80u, 1u}));
    EXPECT_TRUE(Closed());

    // Released in the gap after cell 2: cell 2, black.
    Open();
    MoveTo(Centre(2));
    MoveTo({25, 10});
    ReleaseAt({25, 10});
    EXPECT_EQ(Outcome(), (std::pair{0u, 2u}));

    // Opened again, cell 2 is still the one, shown without its highlight; a release on the margin takes it.
    ASSERT_EQ(PutProperty(Object(), L"SelectedColor", Color(kWhite)), S_OK);
    Open();
    EXPECT_NE(PixelAt(popup, kPalette[2].CellRect.left, kPalette[2].CellRect.top), RGB(0, 0, 0));
    ReleaseAt({1, 1});
    EXPECT_EQ(Outcome(), (std::pair{0u, 3u}));

    Open();
    MoveTo(Centre(5));
    Post(popup, WM_RBUTTONDOWN, MK_RBUTTON, Centre(5).x, Centre(5).y);
    Post(popup, WM_RBUTTONUP, 0, Centre(5).x, Centre(5).y);
    EXPECT_TRUE(Closed());
    Open();
    MoveTo(Centre(3));
    Press(popup, -20, 200); // with the capture, a press beside the palette arrives here
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Outcome(), (std::pair{0u, 3u}));
}

TEST_F(ColorButtonTest, AfterOtherAPressAnywhereOpensTheDialogWithTheColourAndWhiteCustomColours) {
    ASSERT_EQ(PutProperty(Object(), L"SelectedColor", Color(0x8000000F)), S_OK);
    Open();
    MoveTo(Centre(color::kOtherCell));
    MoveTo({300, 300});
    platform.answer = TRUE;
    platform.chosen = 0x00123456;
    Post(popup, WM_LBUTTONDOWN, MK_LBUTTON, 300, 300);
    ASSERT_EQ(platform.calls.size(), 1u);
    EXPECT_FALSE(platform.calls[0].popupVisible) << "the palette closes before the dialog opens";
    EXPECT_EQ(Fields(platform.calls[0].record),
              Fields({kChooseColorRecordSize, control, nullptr, 0x8000000F, nullptr, CC_RGBINIT | CC_FULLOPEN,
                      0, nullptr, nullptr}))
        << "a system colour goes unchanged";
    for (COLORREF custom : platform.calls[0].custom)
        EXPECT_EQ(custom, kWhite);
    EXPECT_EQ(Outcome(), (std::pair{0x123456u, 1u}));

    // Cancelled: nothing changes; the custom colour defined last time is gone.
    ReleaseAt({300, 300});
    Open();
    platform.answer = FALSE;
    Post(popup, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    ASSERT_EQ(platform.calls.size(), 2u);
    EXPECT_EQ(platform.calls[1].custom[0], kWhite);
    EXPECT_EQ(Outcome(), (std::pair{0x123456u, 1u}));
}

struct BlockMemory {
    static inline int frees = 0;
    static HGLOBAL WINAPI None(UINT, SIZE_T) { return nullptr; }
    static HGLOBAL WINAPI Unlockable(UINT, SIZE_T) { return GlobalAlloc(GMEM_MOVEABLE, 0); } // discarded
    static HGLOBAL WINAPI Free(HGLOBAL block) { return ++frees, GlobalFree(block); }
};

TEST_F(ColorButtonTest, WithoutACustomColourBlockNoDialogOpensAndNothingLeaks) {
    const CustomColorBlock::Memory saved = CustomColorBlock::memory();
    CustomColorBlock::memory().free = BlockMemory::Free;
    for (auto alloc : {BlockMemory::None, BlockMemory::Unlockable}) {
        CustomColorBlock::memory().alloc = alloc;
        BlockMemory::frees = 0;
        Open();
        MoveTo(Centre(color::kOtherCell));
        Press(popup, Centre(color::kOtherCell).x, Centre(color::kOtherCell).y);
        EXPECT_TRUE(platform.calls.empty());
        EXPECT_EQ(Clicks(), 0u);
        EXPECT_EQ(BlockMemory::frees, alloc == BlockMemory::None ? 0 : 1);
    }
    CustomColorBlock::memory() = saved;
}

// Counts the cells a move draws: the palette is painted over in a colour no drawing uses, and a cell whose
// corner is no longer that colour was drawn.
TEST_F(ColorButtonTest, TrackingDrawsOnlyTheCellLeftAndTheCellEntered) {
    Open();
    HDC dc = GetDC(popup);
    auto drawnByMoveTo = [&](POINT p) {
        const COLORREF sentinel = RGB(1, 2, 3);
        const RECT all{0, 0, color::kPaletteWidth, color::kPaletteHeight};
        SetDCBrushColor(dc, sentinel);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SendMessageW(popup, WM_MOUSEMOVE, 0, At(p.x, p.y));
        int drawn = 0;
        for (int k = 1; k <= color::kOtherCell; ++k)
            drawn +=
                GetPixel(dc, kPalette[size_t(k)].CellRect.left, kPalette[size_t(k)].CellRect.top) != sentinel;
        return drawn;
    };
    const color::PixelRect& one = kPalette[1].CellRect;
    EXPECT_EQ(drawnByMoveTo(Centre(1)), 1);
    for (int i = 0; i < 3; ++i) // the highlight: black, white, black
        EXPECT_EQ(PixelAt(popup, one.left + i, one.top + i), i == 1 ? RGB(255, 255, 255) : RGB(0, 0, 0)) << i;
    EXPECT_EQ(drawnByMoveTo({Centre(1).x + 3, Centre(1).y}), 0);
    EXPECT_EQ(drawnByMoveTo(Centre(2)), 2);
    EXPECT_EQ(PixelAt(popup, kPalette[1].FillRect.left, kPalette[1].FillRect.top), RGB(255, 255, 255));
    EXPECT_EQ(drawnByMoveTo({25, 10}), 0); // a gap
    EXPECT_EQ(drawnByMoveTo({-9, -9}), 0); // outside
    EXPECT_EQ(drawnByMoveTo(Centre(color::kOtherCell)), 1);
    EXPECT_EQ(drawnByMoveTo(Centre(7)), 1); // "Other..." has nothing to restore
    ReleaseDC(popup, dc);
}

TEST_F(ColorButtonTest, FaceAndPaletteOnPixels) {
    ASSERT_EQ(PutProperty(Object(), L"SelectedColor", Color(0x0000FF00)), S_OK);
    EXPECT_EQ(Clicks(), 0u) << "a put raises nothing";
    RECT client;
    GetClientRect(control, &client);
    const int w = client.right, c = 11; // 22 pixels high
    EXPECT_EQ(PixelAt(control, 5, 4), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(control, 6, 5), RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(control, w - 17, client.bottom - 6), RGB(0, 255, 0));
    for (int x = w - 9; x <= w - 5; ++x)
        EXPECT_EQ(PixelAt(control, x, c - 1), RGB(0, 0, 0)) << x;
    EXPECT_EQ(PixelAt(control, w - 7, c + 1), RGB(0, 0, 0));
    EXPECT_NE(PixelAt(control, w - 8, c + 1), RGB(0, 0, 0));

    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    EXPECT_EQ(PixelAt(control, 6, 5), RGB(0, 0, 0)) << "the frame moves with the press";
    EXPECT_EQ(PixelAt(control, 7, 6), RGB(0, 255, 0));
    EXPECT_EQ(PixelAt(control, w - 8, c), RGB(0, 0, 0)); // its last pixel lies under the focus rectangle
    EXPECT_EQ(PixelAt(control, w - 6, c + 2), RGB(0, 0, 0));

    Post(control, WM_LBUTTONUP, 0, 10, 10); // opens the palette
    for (int k = color::kFirstColorCell; k <= color::kLastColorCell; ++k) {
        const color::PaletteCell& cell = kPalette[static_cast<size_t>(k)];
        EXPECT_EQ(PixelAt(popup, cell.FillRect.left, cell.FillRect.top), cell.Color) << k;
        EXPECT_EQ(PixelAt(popup, cell.FillRect.right - 1, cell.FillRect.bottom - 1), cell.Color) << k;
    }
    const color::PixelRect& caption = kPalette[color::kOtherCell].FillRect;
    int text = 0;
    for (int y = caption.top; y < caption.bottom; ++y)
        for (int x = caption.left; x < caption.right; ++x)
            text += PixelAt(popup, x, y) == RGB(0, 0, 0);
    EXPECT_GT(text, 20) << "no caption on \"Other...\"";
}

TEST_F(ColorButtonTest, HostsCancelButtonIsOffWhileThePaletteIsOpen) {
    Open();
    EXPECT_FALSE(cancel->Cancel());
    Key(control, VK_ESCAPE); // the control's now
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(cancelClicks, 0);
    Key(control, VK_ESCAPE); // closed: the form's cancel button answers it
    EXPECT_EQ(cancelClicks, 1);

    Open(); // on again however the palette closes
    MoveTo(Centre(4));
    ReleaseAt(Centre(4));
    EXPECT_TRUE(cancel->Cancel());

    cancel.reset(); // the button remembered may go before the control
    Open();
    Key(control, VK_ESCAPE);
    EXPECT_TRUE(Closed());
}

TEST_F(ColorButtonTest, SpaceAloneTogglesFocusLeavingClosesAndTheFocusRectangleFollows) {
    EXPECT_GT(FocusDots(control), 0);
    Key(control, VK_SPACE);
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_EQ(FocusDots(control), 0);
    Key(control, VK_SPACE);
    EXPECT_TRUE(Closed());
    EXPECT_GT(FocusDots(control), 0);
    for (short shift : {1, 2}) {
        Key(control, VK_SPACE, shift);
        EXPECT_FALSE(IsWindowVisible(popup)) << shift;
    }
    // Sent, not posted: translated, Alt+space would open the form's system menu.
    SendMessageW(control, WM_SYSKEYDOWN, VK_SPACE, (1 << 29) | 1);
    EXPECT_FALSE(IsWindowVisible(popup)) << "Alt";

    Open();
    SetFocus(ok->hWnd());
    Settle();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(FocusDots(control), 0);

    // In a form designer the face never shows one.
    ActiveXControl designed(*form, L"ColorButton2");
    designed.SetUserMode(false);
    designed.Move(600, 1200, 1500, 330);
    ASSERT_EQ(designed.Create(New(CreateColorButton).Get(), {}), S_OK);
    SetFocus(designed.hWnd());
    Settle();
    ASSERT_EQ(GetFocus(), designed.hWnd());
    EXPECT_EQ(FocusDots(designed.hWnd()), 0);
}

using ColorButtonPersistence = LibraryTest;

TEST_F(ColorButtonPersistence, SelectedColorIsStoredOnlyWhenNotWhite) {
    ComPtr<IUnknown> fresh = Loaded(CreateColorButton);
    ComPtr<MemoryPropertyBag> defaults = Saved(fresh.Get());
    EXPECT_TRUE(Keys(defaults.Get()).empty());
    EXPECT_EQ(SelectedColor(Loaded(CreateColorButton, defaults.Get()).Get()), kWhite);
    ASSERT_EQ(PutProperty(fresh.Get(), L"SelectedColor", Color(0x8000000F)), S_OK);
    ComPtr<MemoryPropertyBag> changed = Saved(fresh.Get());
    EXPECT_EQ(Keys(changed.Get()), std::vector<std::wstring>{L"SelectedColor"});
    EXPECT_EQ(SelectedColor(Loaded(CreateColorButton, changed.Get()).Get()), 0x8000000Fu);
}

} // namespace
