// ColorBrowser on a form of ours: the colour dialog's record through the platform seam and once for real,
// Change and its by-reference colour, the keys that browse, the layout at its limits, persistence.
#include "browse_test_support.h"
#include "color_browser.h"
#include "color_test_support.h"
#include "com/module.h"

namespace {
using namespace test;

// A host's Change handler that answers with a colour of its own through the by-reference argument.
class AnsweringSink final : public IDispatch {
public:
    LONG answer = 0x00ABCDEF;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (params->cArgs != 1 || params->rgvarg[0].vt != (VT_I4 | VT_BYREF)) return DISP_E_TYPEMISMATCH;
        *params->rgvarg[0].plVal = answer;
        return S_OK;
    }
};

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

TEST_F(ColorBrowserTest, DialogGetsNoColourAndFreshBlackCustomColoursAndCancelChangesNothing) {
    EXPECT_EQ(Selected(), 0xFFFFFFu) << "a new control is white";
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(255, 255, 255));
    Press(button, 3, 3);
    ASSERT_EQ(platform.calls.size(), 1u);
    const CHOOSECOLORW& r = platform.calls[0].record;
    EXPECT_EQ(r.lStructSize, kChooseColorRecordSize);
    EXPECT_EQ(r.hwndOwner, site->hWnd());
    EXPECT_EQ(r.hInstance, reinterpret_cast<HWND>(Module::Instance()));
    EXPECT_EQ(r.rgbResult, 0u);
    EXPECT_EQ(r.Flags, 0u);
    EXPECT_TRUE(r.lCustData == 0 && !r.lpfnHook && !r.lpTemplateName);
    EXPECT_EQ(platform.calls[0].custom, (std::array<COLORREF, 16>{}));
    EXPECT_EQ(GetFocus(), swatch);
    EXPECT_TRUE(Changes().empty()) << "cancelled";
    EXPECT_EQ(Selected(), 0xFFFFFFu);

    ASSERT_EQ(PutProperty(Object(), L"AllowCustomColors", Variant::Bool(false)), S_OK);
    Press(swatch, 3, 3); // the swatch browses as the button does
    ASSERT_EQ(platform.calls.size(), 2u);
    EXPECT_EQ(platform.calls[1].record.Flags, static_cast<DWORD>(CC_PREVENTFULLOPEN));
    EXPECT_EQ(platform.calls[1].custom[0], 0u) << "what the user defined before is gone";
}

TEST_F(ColorBrowserTest, AConfirmedColourRaisesChangeAndAHandlersAnswerBecomesTheColour) {
    platform.answer = TRUE;
    platform.chosen = 0x000000FF;
    Press(button, 3, 3);
    EXPECT_EQ(Changes(), (std::vector<LONG>{0xFF}));
    EXPECT_EQ(Selected(), 0xFFu);
    EXPECT_EQ(PixelAt(swatch, 5, 5), RGB(255, 0, 0));

    AnsweringSink answering; // after the recorder: it sees the dialog's colour, then this one answers
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    ASSERT_EQ(Object()->QueryInterface(IID_PPV_ARGS(&points)), S_OK);
    ASSERT_EQ(points->FindConnectionPoint(DIID___ColorBrowser, &point), S_OK);
    ASSERT_EQ(point->Advise(&answering, &cookie), S_OK);
    Press(button, 3, 3); // the same colour again still raises Change
    point->Unadvise(cookie);
    EXPECT_EQ(Changes(), (std::vector<LONG>{0xFF, 0xFF}));
    EXPECT_EQ(Selected(), 0x00ABCDEFu);
}

TEST_F(ColorBrowserTest, AltDownAloneBrowsesFromEitherChild) {
    for (HWND child : {swatch, button})
        ExpectAltDownAloneBrowses(child, [&] { return platform.calls.size(); });
}

TEST_F(ColorBrowserTest, NarrowerThanTheButtonTheSwatchKeepsItsPlaceAndTheButtonMoves) {
    EXPECT_EQ(PlaceOf(swatch).right + 1, PlaceOf(button).left) << "one pixel between swatch and button";
    const int border = 4 * 15; // the sunken edge, two pixels each side
    site->Move(600, 600, 270 + 15 + border, 360);
    Settle();
    EXPECT_EQ(PlaceOf(swatch).right - PlaceOf(swatch).left, 0);
    site->Move(600, 600, 270 + border, 360);
    Settle();
    EXPECT_EQ(PlaceOf(swatch).right - PlaceOf(swatch).left, 0);
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
    ComPtr<IUnknown> loaded = Loaded(CreateColorBrowser, bag.Get());
    ExpectAll(loaded.Get(),
              {{L"AllowCustomColors", Variant::Bool(false)}, {L"SelectedColor", Variant::I4(0)}});
}

} // namespace
