// ColorSelector on a form of ours, its list driven by real window messages and keys, read back on pixels.
#include "color_geometry.h"
#include "color_selector.h"
#include "color_test_support.h"

namespace {
using namespace test;

class ColorSelectorTest : public ColorControlTest {
protected:
    void SetUp() override {
        Host(CreateColorSelector, DIID___ColorSelector, 1500, 330);
        swatch = FindWindowExW(site->hWnd(), nullptr, L"RuntimePictureBox", nullptr);
        arrow = FindWindowExW(site->hWnd(), nullptr, L"BUTTON", nullptr);
        list = FloatingBox();
        ASSERT_TRUE(swatch && arrow && list);
        SetFocus(swatch);
        Settle();
    }
    bool Open() const { return IsWindowVisible(list) && GetCapture() == list; }
    bool Closed() const { return !IsWindowVisible(list) && GetCapture() != list; }
    int RowY(int i) const { // the middle of row i in the list's client pixels
        RECT r;
        GetClientRect(list, &r);
        return static_cast<int>((i + 0.5) * r.bottom / 16);
    }
    int FocusDots() const { return test::FocusDots(swatch, 1, GetSysColor(COLOR_WINDOW)); }

    HWND swatch = nullptr, arrow = nullptr, list = nullptr;
};

TEST_F(ColorSelectorTest, ListOpensUnderTheControlWithTheSixteenColoursAndALeftPressOnARowChoosesIt) {
    Press(arrow, 3, 3);
    ASSERT_TRUE(Open());
    EXPECT_EQ(GetFocus(), swatch);
    RECT rc, lr;
    GetWindowRect(site->hWnd(), &rc);
    GetWindowRect(list, &lr);
    EXPECT_EQ(lr, (RECT{rc.left, rc.bottom, rc.right, rc.bottom + 216})); // 3240 twips high
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(PixelAt(list, 5, RowY(i)), color::kStandardColors[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(PixelAt(list, 1, RowY(i)), RGB(0, 0, 0)) << "outline of row " << i;
    }

    Post(list, WM_RBUTTONDOWN, MK_RBUTTON, 20, RowY(3));
    EXPECT_TRUE(Open()) << "a right press inside leaves the list open";
    Press(list, 20, RowY(12));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(Outcome(), (std::pair{12u, 1u}));
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(255, 0, 0)); // light red

    // The row just below the list (its boundary, which the outside test admits), beside it, and on the
    // arrow button, whose press reaches the list through the capture: each only closes it.
    RECT client, ar;
    GetClientRect(list, &client);
    for (POINT outside : {POINT{20, client.bottom}, POINT{-3, 20}, POINT{}}) {
        Press(arrow, 3, 3);
        ASSERT_TRUE(Open());
        GetWindowRect(arrow, &ar);
        GetWindowRect(list, &lr);
        if (outside.x == 0) outside = {ar.left + 2 - lr.left, ar.top + 2 - lr.top};
        Post(list, WM_LBUTTONDOWN, MK_LBUTTON, outside.x, outside.y);
        Post(arrow, WM_LBUTTONUP, 0, 2, 2);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(Outcome(), (std::pair{12u, 1u}));
    }
}

TEST_F(ColorSelectorTest, ArrowKeysMoveTheSelectionAltTogglesTheListAndNothingIsPersisted) {
    Key(swatch, VK_UP);
    EXPECT_EQ(Outcome(), (std::pair{0u, 0u})) << "up at 0";
    Key(swatch, VK_DOWN);
    Key(swatch, VK_DOWN, 2); // Ctrl changes nothing
    EXPECT_EQ(Outcome(), (std::pair{2u, 2u}));
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(0, 128, 0));

    // A put raises nothing, and nothing is persisted.
    ASSERT_EQ(PutProperty(Object(), L"SelectedColor", Variant::I2(15)), S_OK);
    ComPtr<MemoryPropertyBag> bag = Saved(Object());
    EXPECT_TRUE(Keys(bag.Get()).empty());
    EXPECT_EQ(SelectedColor(Loaded(CreateColorSelector, bag.Get()).Get()), 0u);
    Key(swatch, VK_DOWN);
    EXPECT_EQ(Outcome(), (std::pair{15u, 2u})) << "down at 15";

    Key(swatch, VK_DOWN, 4);
    EXPECT_TRUE(Open());
    Key(swatch, VK_UP, 4);
    EXPECT_TRUE(Closed());
    Key(arrow, VK_UP, 4); // from the button too
    EXPECT_TRUE(Open());
    Key(swatch, VK_UP); // the list stays open while the selection moves
    EXPECT_EQ(Selected(), 14u);
    EXPECT_TRUE(Open());
}

TEST_F(ColorSelectorTest, FocusRectangleGoesWhileTheListIsOpenAndFocusLeavingClosesIt) {
    // Drawn by inversion, the rectangle shows once the swatch is painted afresh with the focus.
    InvalidateRect(swatch, nullptr, TRUE);
    Settle();
    EXPECT_GT(FocusDots(), 0);
    Press(arrow, 3, 3);
    EXPECT_EQ(FocusDots(), 0);
    Post(list, WM_LBUTTONDOWN, MK_LBUTTON, 20, 400); // below the list: closes
    EXPECT_GT(FocusDots(), 0);

    Press(arrow, 3, 3);
    SetFocus(form->hWnd());
    Settle();
    EXPECT_TRUE(Closed());
    EXPECT_EQ(FocusDots(), 0);
}

} // namespace
