// FontBrowser in a form of ours: the font dialog's records through the platform seam and what the control
// takes from its answer, keys, the focus look and the button on pixels, persistence, the real dialog.
#include "browse_test_support.h"
#include "font_browser.h"

#include <optional>
#include <tuple>

namespace {
using namespace test;

constexpr DISPID kChange = 1;

class FontPlatform : public RecordingPlatform {
public:
    struct Call {
        CHOOSEFONTW record;
        LOGFONTW font;
    };
    std::vector<Call> calls;
    std::optional<std::tuple<LOGFONTW, INT, COLORREF, WORD>> answer; // font, tenths of a point, colour, type

    BOOL ChooseFont(CHOOSEFONTW* r) override {
        calls.push_back({*r, r->lpLogFont ? *r->lpLogFont : LOGFONTW{}});
        if (!answer) return FALSE;
        std::tie(*r->lpLogFont, r->iPointSize, r->rgbColors, r->nFontType) = *answer;
        return TRUE;
    }
};

// A font as "name size bold italic underline weight", size in ten-thousandths of a point.
std::string LookOf(IFont* font) {
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE;
    SHORT weight = 0;
    if (!font) return "none";
    font->get_Size(&size);
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Weight(&weight);
    return Narrow(NameOf(font)) + " " + std::to_string(size.int64) + (bold ? " bold" : "") +
           (italic ? " italic" : "") + (underline ? " underline" : "") + " " + std::to_string(weight);
}

class FontBrowserTest : public HostedControl {
protected:
    void SetUp() override {
        Host(CreateFontBrowser, DIID___FontBrowser, &platform, L"FontBrowser1", 2535, 465);
        button = FindWindowExW(site->hWnd(), nullptr, L"RuntimePictureBox", nullptr);
        label = WindowlessChild(Implementation<FontBrowser, _FontBrowser>(Object()), 2);
        ASSERT_TRUE(button && label);
    }
    void PutFont(const FontSpec& spec) {
        ASSERT_EQ(PutProperty(Object(), L"Font", Variant::Object(MakeFont(spec).Get()), true), S_OK);
    }
    void ClickButton() {
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Pump();
    }
    // The font as LookOf tells it, the caption and the colour.
    std::tuple<std::string, std::wstring, LONG> Look() const {
        return {LookOf(FontOf(Object()).Get()), label->Caption(), NumberProperty(Object(), L"ForeColor")};
    }

    FontPlatform platform;
    HWND button = nullptr;
    Control* label = nullptr;
};

TEST_F(FontBrowserTest, ANewControlShowsACopyOfTheFormsFontAndSavesFourKeys) {
    EXPECT_EQ(Look(), std::tuple(LookOf(form->Font().Get()), L"MS Sans Serif", LONG(0x80000008)));
    EXPECT_NE(FontOf(Object()).Get(), form->Font().Get()) << "a copy, which the dialog may change";
    // The button is as wide as a vertical scroll bar, full height at the right; the label is inset.
    RECT client;
    GetClientRect(site->hWnd(), &client);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(PlaceOf(button), (RECT{client.right - bar, 0, client.right, client.bottom}));
    EXPECT_EQ(label->Bounds(), (RECT{2, 2, client.right - 2 - bar, client.bottom - 2}));

    // Four keys in order, defaults left out.
    EXPECT_TRUE(Keys(Saved(Object()).Get()).empty());
    const Values values = {{L"Enabled", Variant::Bool(false)},
                           {L"ForeColor", Variant::I4(0xFF)},
                           {L"BackColor", Variant::I4(0xFF00)},
                           {L"Font", Variant::Object(MakeFont(FontSpec{L"Tahoma", 12, true}).Get())}};
    PutAll(Object(), values);
    auto bag = Saved(Object());
    EXPECT_EQ(Keys(bag.Get()), (std::vector<std::wstring>{L"BackColor", L"ForeColor", L"Enabled", L"Font"}));
    auto loaded = Loaded(CreateFontBrowser, bag.Get());
    ExpectAll(loaded.Get(), values);
    EXPECT_EQ(LookOf(FontOf(loaded.Get()).Get()), "Tahoma 120000 bold 700");
}

TEST_F(FontBrowserTest, DialogGetsTheCurrentFontCancelChangesNothingAConfirmedOneChangesTheFontInPlace) {
    PutFont(FontSpec{L"Tahoma", 10.5f, false, true, true, false, ANSI_CHARSET});
    sink.events.clear();
    ClickButton();
    ASSERT_EQ(platform.calls.size(), 1u);
    const CHOOSEFONTW& r = platform.calls[0].record;
    // Owned by the form, not the control; the colour the system one as it is.
    EXPECT_EQ(std::tuple(r.lStructSize, r.hwndOwner, r.iPointSize, r.Flags, r.rgbColors),
              std::tuple(kChooseFontRecordSize, form->hWnd(), 105, 0x141u, 0x80000008u));
    // Nothing else: no device context, hook, template, style or limits.
    CHOOSEFONTW rest = r;
    rest.lStructSize = rest.Flags = rest.rgbColors = rest.iPointSize = 0;
    rest.hwndOwner = nullptr;
    rest.lpLogFont = nullptr;
    EXPECT_TRUE(SameRecord(rest, CHOOSEFONTW{}));
    // Zeros to the end of the face name, character set 0.
    EXPECT_TRUE(
        SameRecord(platform.calls[0].font, LOGFONTW{-14, 0, 0, 0, 400, 1, 1, 0, 0, 0, 0, 0, 0, L"Tahoma"}));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(Look(), std::tuple("Tahoma 105000 italic underline 400", L"Tahoma", LONG(0x80000008)));

    ComPtr<IFont> before = FontOf(Object());
    const LOGFONTW boldItalic = {0, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, L"MS Sans Serif"};
    platform.answer.emplace(boldItalic, 120, 0xFF, BOLD_FONTTYPE | SCREEN_FONTTYPE);
    ClickButton();
    // The caption exactly the name, no trailing zeros.
    EXPECT_EQ(Look(), std::tuple("MS Sans Serif 120000 bold italic 700", L"MS Sans Serif", LONG(0xFF)));
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].id, kChange);
    ASSERT_EQ(sink.events[0].args.size(), 1u);
    ASSERT_EQ(sink.events[0].args[0].type(), VT_DISPATCH);
    ComPtr<IFont> raised;
    sink.events[0].args[0].get()->pdispVal->QueryInterface(IID_PPV_ARGS(&raised));
    EXPECT_EQ(raised.Get(), before.Get()) << "the label's own font object, changed in place";
    EXPECT_EQ(FontOf(Object()).Get(), before.Get());

    // The weight is set after the bold flag, so it decides; tenths of a point are kept.
    const LOGFONTW italic = {0, 0, 0, 0, 400, 1, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"};
    platform.answer.emplace(italic, 105, 0xFF, BOLD_FONTTYPE | SCREEN_FONTTYPE);
    ClickButton();
    EXPECT_EQ(Look(), std::tuple("Tahoma 105000 italic 400", L"Tahoma", LONG(0xFF)));
    EXPECT_EQ(platform.calls[2].record.rgbColors, 0x000000FFu);
    EXPECT_EQ(LookOf(form->Font().Get()), "MS Sans Serif 82500 400") << "the form's font is not touched";

    // Long and empty face names still fit the record.
    for (const wchar_t* name : {L"An extraordinarily long face name that cannot fit", L""}) {
        PutFont(FontSpec{name});
        ClickButton();
    }
    ASSERT_EQ(platform.calls.size(), 5u);
    for (const auto& call : platform.calls)
        EXPECT_LE(wcsnlen(call.font.lfFaceName, LF_FACESIZE), 31u);
}

TEST_F(FontBrowserTest, FocusShowsHighlightInsideADottedRectangleShortOfTheButtonAltDownAloneBrowses) {
    const COLORREF window = Shown(GetSysColor(COLOR_WINDOW)), highlight = Shown(GetSysColor(COLOR_HIGHLIGHT));
    const RECT place = PlaceOf(button);
    const int ground = place.left - 5, middle = place.bottom / 2; // a point of the label right of the name
    auto plain = [&](const char* when) {
        Snapshot pixels(site->hWnd(), false);
        EXPECT_EQ(pixels.At(ground, middle), window) << when;
        for (int x = 1; x < place.left; ++x)
            ASSERT_EQ(pixels.At(x, 1), window) << when << ", column " << x;
    };
    plain("before the focus");
    SetFocus(button);
    Pump();
    Snapshot focused(site->hWnd(), false);
    EXPECT_EQ(focused.At(ground, middle), highlight);
    int dotted = 0;
    for (int x = 1; x < place.left - 1; ++x)
        dotted += focused.At(x, 1) != window;
    EXPECT_GT(dotted, (place.left - 2) / 3) << "a dotted line along the top";
    EXPECT_EQ(focused.At(place.left - 1, 1), window) << "the rectangle stops a pixel short of the button";

    SetFocus(form->hWnd());
    Pump();
    plain("after the focus left");
    ExpectAltDownAloneBrowses(button, [&] { return platform.calls.size(); });
}

TEST_F(FontBrowserTest, TheRealDialogOpensOnTheCurrentFontAndGivesItBack) {
    useIt.reset(); // the system's own dialog from here on
    PutFont(FontSpec{L"Tahoma", 12, false, true, false, false, ANSI_CHARSET});
    sink.events.clear();
    DialogUser user(DialogUser::PressOk);
    ClickButton();
    user.Join();
    EXPECT_FALSE(user.stuck);
    EXPECT_FALSE(user.caption.empty());
    EXPECT_EQ(Look(), std::tuple("Tahoma 120000 italic 400", L"Tahoma", LONG(0x80000008)));
    EXPECT_EQ(sink.events.size(), 1u);
}

} // namespace
