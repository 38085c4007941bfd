// Label3D in-process and hosted: persistence, the labels' places, the size floor, pixels and events.
#include "control_test_support.h"
#include "label3d.h"
#include "services/screen.h"

namespace {
using namespace test;

constexpr auto& Cpp = Implementation<Label3D, _Label3D>;

Control& BackLabel(IUnknown* object) { return *WindowlessChild(Cpp(object), 1); }
Control& FrontLabel(IUnknown* object) { return *WindowlessChild(Cpp(object), 2); }

std::pair<SHORT, SHORT> Weights(IUnknown* object) {
    SHORT back = 0, front = 0;
    BackLabel(object).Font()->get_Weight(&back);
    FrontLabel(object).Font()->get_Weight(&front);
    return {back, front};
}

using Label3DTest = LibraryTest;

TEST_F(Label3DTest, PersistsNineKeysInOrderAndLoadsMissingOnesAsTheStoredDefaults) {
    auto a = Loaded(CreateLabel3D);
    // A freshly placed one keeps its design colours, which differ from the stored defaults.
    ExpectAll(a.Get(), {{L"ForeColor1", Variant::I4(LONG(0x8000000E))},
                        {L"ForeColor2", Variant::I4(LONG(0x80000012))}});
    EXPECT_EQ(Keys(Saved(a.Get()).Get()), (std::vector<std::wstring>{L"ForeColor1", L"ForeColor2"}));

    const Values values = {{L"Enabled", Variant::Bool(false)},
                           {L"Font", Variant::Object(MakeFont(FontSpec{L"Tahoma", 12, true}).Get())},
                           {L"ForeColor1", Variant::I4(0x0000FF)},
                           {L"ForeColor2", Variant::I4(0x00FF00)},
                           {L"Caption", Variant::Str(L"Raised")},
                           {L"Alignment", Variant::I4(2)},
                           {L"Phase", Variant::I4(7)},
                           {L"BackColor", Variant::I4(0x336699)},
                           {L"BorderStyle", Variant::I4(1)}};
    PutAll(a.Get(), values);
    auto bag = Saved(a.Get());
    EXPECT_EQ(Keys(bag.Get()), (std::vector<std::wstring>{L"Enabled", L"Font", L"ForeColor1", L"ForeColor2",
                                                          L"Caption", L"Alignment", L"Phase", L"BackColor",
                                                          L"BorderStyle"}));
    EXPECT_EQ(Stored(bag.Get(), L"Phase").type(), VT_UI1);

    auto b = Loaded(CreateLabel3D, bag.Get());
    ExpectAll(b.Get(), values);
    EXPECT_FALSE(FrontLabel(b.Get()).Enabled()) << "read twice: the front label too";
    EXPECT_EQ(FrontLabel(b.Get()).Caption(), L"Raised");
    EXPECT_EQ(Weights(b.Get()), (std::pair<SHORT, SHORT>{FW_BOLD, FW_BOLD}));

    // One font object behind both labels: a change through Font shows on the front label as well.
    ASSERT_EQ(FontOf(b.Get())->put_Bold(FALSE), S_OK);
    EXPECT_EQ(Weights(b.Get()), (std::pair<SHORT, SHORT>{FW_NORMAL, FW_NORMAL}));

    // Loaded without stored colours, it is white over a black shadow.
    auto l = Loaded(CreateLabel3D, Bag().Get());
    ExpectAll(l.Get(), {{L"ForeColor1", Variant::I4(0)},
                        {L"ForeColor2", Variant::I4(0xFFFFFF)},
                        {L"Phase", Variant::I4(0)},
                        {L"Caption", Variant::Str(L"Label3D")}});
    EXPECT_TRUE(Keys(Saved(l.Get()).Get()).empty());

    // A value a label refuses ends the load there; what was read before stays.
    auto bad = New(CreateLabel3D);
    EXPECT_EQ(Load(bad.Get(), Bag({{L"Caption", Variant::Str(L"kept")}, {L"Alignment", Variant::I2(5)}}).Get()),
              CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(TextProperty(bad.Get(), L"Caption"), L"kept");
}

TEST_F(Label3DTest, PhasePlacesTheLabelsAndOnlyAByteIsAccepted) {
    auto l = Loaded(CreateLabel3D);
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(l.As(&persist), S_OK);
    // In pixels: the labels lie 15 twips apart, one pixel at 96 dots per inch.
    const LONG w = Screen::TwipsToPixelsX(Cpp(l.Get()).Width());
    const LONG h = Screen::TwipsToPixelsY(Cpp(l.Get()).Height());
    ASSERT_EQ(PutProperty(l.Get(), L"Phase", Variant::I4(1)), S_OK); // BOTTOMLEFT
    EXPECT_EQ(BackLabel(l.Get()).Bounds(), (RECT{0, 1, w, h + 1}));
    EXPECT_EQ(FrontLabel(l.Get()).Bounds(), (RECT{1, 0, w + 1, h}));

    // Any byte is kept; one no arrangement knows leaves the labels where they were.
    ASSERT_EQ(PutProperty(l.Get(), L"Phase", Variant::I4(7)), S_OK);
    EXPECT_EQ(BackLabel(l.Get()).Bounds(), (RECT{0, 1, w, h + 1}));

    ASSERT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK); // clears the changed mark
    EXPECT_TRUE(FAILED(PutProperty(l.Get(), L"Phase", Variant::I4(256))));
    EXPECT_EQ(persist->IsDirty(), S_FALSE) << "a refused Phase changed nothing";
}

TEST_F(Label3DTest, TheTypeLibraryNamesThePhasesBordersAndAlignments) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(Module::TypeLib(&library), S_OK);
    const std::pair<const wchar_t*, std::vector<std::wstring>> enums[] = {
        {L"{E0804654-98F2-47C9-9768-E6F73A02A15A}", {L"BOTTOMRIGHT", L"BOTTOMLEFT", L"TOPRIGHT", L"TOPLEFT"}},
        {L"{DE3A9FA5-1C89-4A3F-90D3-0C908FBEEF4E}", {L"None", L"FixedSingle"}},
        {L"{DE13E471-DDBD-477D-B622-E3A069EDD79D}", {L"AlignLeft", L"AlignRight", L"AlignCenter"}},
    };
    for (const auto& [guidText, names] : enums) {
        GUID guid;
        ASSERT_EQ(CLSIDFromString(guidText, &guid), S_OK);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(library->GetTypeInfoOfGuid(guid, &info), S_OK) << Narrow(guidText);
        for (UINT i = 0; i < names.size(); ++i) {
            VARDESC* var = nullptr;
            ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
            Bstr name;
            info->GetDocumentation(var->memid, name.put(), nullptr, nullptr, nullptr);
            EXPECT_EQ(name.str(), names[i]);
            EXPECT_EQ(var->lpvarValue->lVal, LONG(i));
            info->ReleaseVarDesc(var);
        }
    }
}

// A Label3D on a form of ours, shown.
class HostedLabel3D : public HostedControl {
protected:
    void SetUp() override {
        Host(CreateLabel3D, DIID___Label3D, nullptr, L"Label3D1", 2400, 600);
        PutAll(Object(), {{L"BackColor", Variant::I4(kBack)},
                          {L"ForeColor1", Variant::I4(kRed)},
                          {L"ForeColor2", Variant::I4(kBlue)},
                          {L"Caption", Variant::Str(L"WWWW")}});
        Settle();
    }
    std::vector<DISPID> Ids() const {
        std::vector<DISPID> ids;
        for (const auto& e : sink.events)
            if (e.id != 4) ids.push_back(e.id); // moves come and go with the pointer
        return ids;
    }

    static constexpr COLORREF kBack = 0x336699, kRed = 0x0000FF, kBlue = 0xFF0000;
};

// Never smaller than a hundred twips either way, whether the container moves it or sets its extent.
TEST_F(HostedLabel3D, GrowsToTheFloorThroughItsContainer) {
    site->Move(300, 300, 50, 1000);
    EXPECT_EQ(Cpp(Object()).Width(), 100);
    RECT client;
    GetClientRect(site->hWnd(), &client);
    EXPECT_EQ(client.right, Screen::TwipsToPixelsX(100));
    EXPECT_EQ(FrontLabel(Object()).Bounds().right, client.right) << "the labels follow";
    // The container heard of the new size: its extender reports it.
    EXPECT_EQ(NumberProperty(ExtenderOf(Object()).Get(), L"Width"), Screen::PixelsToTwipsX(client.right));

    ComPtr<IOleObject> ole;
    ASSERT_EQ(Object()->QueryInterface(IID_PPV_ARGS(&ole)), S_OK);
    SIZEL small{MulDiv(1000, 2540, 1440), MulDiv(99, 2540, 1440)}, now{};
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &small), S_OK);
    EXPECT_EQ(Cpp(Object()).Height(), 100);
    ole->GetExtent(DVASPECT_CONTENT, &now);
    EXPECT_EQ(now.cy, MulDiv(100, 2540, 1440));
}

TEST_F(HostedLabel3D, BothLabelsShowTheCaptionTheFrontOneGetsTheBorderAndRaisesTheEvents) {
    Snapshot both(site->hWnd());
    EXPECT_GT(both.Count(Shown(kRed)), 10) << "the back label";
    EXPECT_GT(both.Count(Shown(kBlue)), 10) << "the front label";
    EXPECT_EQ(both.At(0, 0), Shown(kBack)) << "both see-through";

    const COLORREF frame = Shown(GetSysColor(COLOR_WINDOWFRAME));
    ASSERT_EQ(PutProperty(Object(), L"BorderStyle", Variant::I4(1)), S_OK);
    EXPECT_EQ(Snapshot(site->hWnd()).At(0, 0), frame) << "the front label's corner";
    ASSERT_EQ(PutProperty(Object(), L"Phase", Variant::I4(3)), S_OK); // the front label one pixel in
    Snapshot shifted(site->hWnd());
    EXPECT_EQ(shifted.At(0, 0), Shown(kBack)) << "the back label has no border";
    EXPECT_EQ(shifted.At(1, 1), frame);

    // The front label's mouse events are the control's until it is disabled.
    const Surface front = SurfaceOf(FrontLabel(Object()));
    auto click = [&](UINT press) {
        PostMessageW(front.window, press, MK_LBUTTON, front.At(5, 6));
        PostMessageW(front.window, WM_LBUTTONUP, 0, front.At(5, 6));
        Settle();
    };
    click(WM_LBUTTONDOWN);
    click(WM_LBUTTONDBLCLK);
    EXPECT_EQ(Ids(), (std::vector<DISPID>{3, 5, 1, 2, 5}));

    // Disabled: both labels grey, and a click raises nothing.
    ASSERT_EQ(PutProperty(Object(), L"Enabled", Variant::Bool(false)), S_OK);
    Snapshot grey(site->hWnd());
    EXPECT_EQ(grey.Count(Shown(kRed)) + grey.Count(Shown(kBlue)), 0);
    EXPECT_GT(grey.Count(Shown(GetSysColor(COLOR_GRAYTEXT))), 20);
    sink.events.clear();
    click(WM_LBUTTONDOWN);
    EXPECT_TRUE(Ids().empty());
}

} // namespace
