// ColorBrowser on a form of ours: its dialog recorded and once for real, Change by reference, keys, layout.
#include "browse_test_support.h"
#include "color_browser.h"
#include "color_test_support.h"
#include "com/module.h"
#include "com/named_dispatch.h"

namespace {
using namespace test;

class ColorBrowserTest : public ColorControlTest {
protected:
    void SetUp() override {
        Host(CreateColorBrowser, DIID___ColorBrowser, 2535, 360);
        swatch = FindWindowExW(site->hWnd(), nullptr, L"RuntimePictureBox", nullptr);
        button = FindWindowExW(site->hWnd(), nullptr, L"BUTTON", nullptr);
        ASSERT_TRUE(swatch && button);
    }
    std::vector<LONG> Changes() const {
        std::vector<LONG> colours;
        for (const auto& e : sink.events)
            colours.push_back(e.args.at(0).get()->lVal);
        return colours;
    }

    HWND swatch = nullptr, button = nullptr;
};

TEST_F(ColorBrowserTest, DialogGetsNoColourAndFreshBlackCustomColoursCancelChangesNothingAltDownBrowses) {
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(255, 255, 255));
    Press(button, 3, 3);
    ASSERT_EQ(platform.calls.size(), 1u);
    EXPECT_EQ(Fields(platform.calls[0].record),
              Fields({kChooseColorRecordSize, site->hWnd(), reinterpret_cast<HWND>(Module::Instance()), 0,
                      nullptr, 0, 0, nullptr, nullptr}));
    EXPECT_EQ(platform.calls[0].custom, (std::array<COLORREF, 16>{}));
    EXPECT_EQ(GetFocus(), swatch);
    EXPECT_TRUE(Changes().empty()) << "cancelled";
    EXPECT_EQ(Selected(), 0xFFFFFFu);

    ASSERT_EQ(PutProperty(Object(), L"AllowCustomColors", Variant::Bool(false)), S_OK);
    Press(swatch, 3, 3); // the swatch browses as the button does
    ASSERT_EQ(platform.calls.size(), 2u);
    EXPECT_EQ(platform.calls[1].record.Flags, static_cast<DWORD>(CC_PREVENTFULLOPEN));
    EXPECT_EQ(platform.calls[1].custom[0], 0u) << "what the user defined before is gone";

    for (HWND child : {swatch, button})
        ExpectAltDownAloneBrowses(child, [&] { return platform.calls.size(); });
}

TEST_F(ColorBrowserTest, AConfirmedColourRaisesChangeAndAHandlersAnswerBecomesTheColour) {
    platform.answer = TRUE;
    platform.chosen = 0x000000FF;
    Press(button, 3, 3);
    EXPECT_EQ(Changes(), (std::vector<LONG>{0xFF}));
    EXPECT_EQ(Selected(), 0xFFu);
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(255, 0, 0));

    // A host's handler after the recorder, which sees the dialog's colour: it answers with one of its own.
    auto answer = [](DISPPARAMS* params, VARIANT*) {
        if (params->cArgs != 1 || params->rgvarg[0].vt != (VT_I4 | VT_BYREF)) return DISP_E_TYPEMISMATCH;
        *params->rgvarg[0].plVal = 0x00ABCDEF;
        return S_OK;
    };
    ComPtr<NamedDispatch> answering;
    ASSERT_EQ(NamedDispatch::Create(&answering), S_OK);
    ASSERT_EQ(answering->AddMethod(L"Change", answer, 1), S_OK); // Change's number
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ASSERT_EQ(Object()->QueryInterface(IID_PPV_ARGS(&points)), S_OK);
    ASSERT_EQ(points->FindConnectionPoint(DIID___ColorBrowser, &point), S_OK);
    ASSERT_EQ(point->Advise(answering.Get(), &cookie), S_OK);
    Press(button, 3, 3); // the same colour again still raises Change
    point->Unadvise(cookie);
    EXPECT_EQ(Changes(), (std::vector<LONG>{0xFF, 0xFF}));
    EXPECT_EQ(Selected(), 0x00ABCDEFu);
}

TEST_F(ColorBrowserTest, NarrowerThanTheButtonTheSwatchKeepsItsPlaceAndTheButtonMoves) {
    EXPECT_EQ(PlaceOf(swatch).right + 1, PlaceOf(button).left) << "one pixel between swatch and button";
    const int border = 4 * 15; // the sunken edge, two pixels each side
    for (int width : {270 + 15 + border, 270 + border}) {
        site->Move(600, 600, width, 360);
        Settle();
        EXPECT_EQ(PlaceOf(swatch).right - PlaceOf(swatch).left, 0) << width;
    }
    EXPECT_EQ(PlaceOf(button).left, 0);
}

TEST_F(ColorBrowserTest, TheRealDialogOpensWithItsCustomColourButtonAsAllowed) {
    useIt.reset(); // the system's own dialog from here on
    for (bool allow : {false, true}) {
        ASSERT_EQ(PutProperty(Object(), L"AllowCustomColors", Variant::Bool(allow)), S_OK);
        BOOL defineEnabled = -1;
        DialogUser user([&](HWND dialog) {
            defineEnabled = IsWindowEnabled(GetDlgItem(dialog, 719)); // "Define Custom Colors"
            PostMessageW(dialog, WM_COMMAND, allow ? IDOK : IDCANCEL, 0);
        });
        Press(button, 3, 3);
        user.Join();
        EXPECT_FALSE(user.stuck);
        EXPECT_EQ(defineEnabled, allow ? TRUE : FALSE);
    }
    // Confirmed with the colour the dialog opened with: black, as the current one is not handed over.
    EXPECT_EQ(Changes(), (std::vector<LONG>{0}));
    EXPECT_EQ(Selected(), 0u);
}

using ColorBrowserPersistence = LibraryTest;

TEST_F(ColorBrowserPersistence, OnlyAllowCustomColorsIsStoredAndALoadedControlIsBlack) {
    ComPtr<IUnknown> fresh = Loaded(CreateColorBrowser);
    ASSERT_EQ(PutProperty(fresh.Get(), L"SelectedColor", Variant::I4(0x00FF00)), S_OK);
    EXPECT_TRUE(Keys(Saved(fresh.Get()).Get()).empty()) << "neither the colour nor a default";
    ASSERT_EQ(PutProperty(fresh.Get(), L"AllowCustomColors", Variant::Bool(false)), S_OK);
    ComPtr<MemoryPropertyBag> bag = Saved(fresh.Get());
    EXPECT_EQ(Keys(bag.Get()), std::vector<std::wstring>{L"AllowCustomColors"});
    ExpectAll(Loaded(CreateColorBrowser, bag.Get()).Get(),
              {{L"AllowCustomColors", Variant::Bool(false)}, {L"SelectedColor", Variant::I4(0)}});
}

} // namespace
