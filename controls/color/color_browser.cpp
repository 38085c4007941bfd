#include "color_browser.h"
#include "misc_status.h"

#include "about_box.h"
#include "color_geometry.h"
#include "com/module.h"
#include "services/picture.h"
#include "services/platform.h"
#include "services/screen.h"

#include <array>
#include <cmath>

namespace {
enum : DISPID { kChange = 1 };

// Three black dots side by side below the middle of a 16 by 16, 16-colour icon. The colour bits are all
// black; the mask leaves only the dots opaque.
HICON EllipsisIcon() {
    std::array<BYTE, 16 * 2> mask;
    mask.fill(0xFF);
    for (int row : {10, 11}) {
        // Columns 3-4, 7-8 and 11-12 opaque: 1110 0110 0110 0111.
        mask[static_cast<size_t>(row * 2)] = 0xE6;
        mask[static_cast<size_t>(row * 2 + 1)] = 0x67;
    }
    std::array<BYTE, 16 * 8> colours{}; // 4 bits a pixel, index 0 is black
    return CreateIcon(Module::Instance(), 16, 16, 1, 4, mask.data(), colours.data());
}

int Twips(double value) {
    return static_cast<int>(std::lround(value));
}
} // namespace

HRESULT CreateColorBrowser(REFIID iid, void** object) {
    return CreateControl<ColorBrowser>(iid, object);
}

ColorBrowser::ColorBrowser()
    : UserControl(ClassOf(CLSID_ColorBrowser, DIID___ColorBrowser, kCommonStatus, 2535, 360), this) {
    SetBorderStyle(1);
    SetBackColor(0x80000016);
    KeyPreview = true;

    picSelection.SetBorderStyle(0);
    picSelection.SetBackColor(0x80000005);
    picSelection.SetForeColor(0x80000008);
    picSelection.Paint = [this] { picSelection_Paint(); };
    picSelection.Click = [this] { (void)cmdBrowse_Click(); };
    picSelection.GotFocus = [this] { picSelection_Paint(); };
    picSelection.LostFocus = [this] { picSelection_Paint(); };

    cmdBrowse.SetPicture(PictureFromIcon(EllipsisIcon(), true));
    if (ComPtr<IFont> font = MakeFont(FontSpec{L"MS Sans Serif", 8.25f, true})) cmdBrowse.SetFont(font);
    cmdBrowse.Move(0, 0, 270, 360);
    cmdBrowse.Click = [this] { (void)cmdBrowse_Click(); };
    picSelection.Accessibility = this; // the focus rests there: a screen reader reads the control
}

// ---------------------------------------------------------------- properties

STDMETHODIMP ColorBrowser::AboutBox() {
    return ShowAboutBox();
}

STDMETHODIMP ColorBrowser::put_SelectedColor(LONG* New_SelectedColor) {
    if (!New_SelectedColor) return E_POINTER;
    SelectedColor = *New_SelectedColor;
    picSelection_Paint();
    return S_OK;
}

STDMETHODIMP ColorBrowser::get_SelectedColor(LONG* value) {
    if (!value) return E_POINTER;
    *value = SelectedColor;
    return S_OK;
}

STDMETHODIMP ColorBrowser::get_AllowCustomColors(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = AllowCustomColors ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP ColorBrowser::put_AllowCustomColors(VARIANT_BOOL New_AllowCustomColors) {
    AllowCustomColors = New_AllowCustomColors != VARIANT_FALSE;
    PropertyChanged(L"AllowCustomColors");
    return S_OK;
}

// ---------------------------------------------------------------- life cycle and persistence

HRESULT ColorBrowser::InitProperties() {
    AllowCustomColors = true;
    SelectedColor = 0xFFFFFF;
    return S_OK;
}

// The colour is not stored: a loaded control shows black until its host sets one.
HRESULT ColorBrowser::ReadProperties(PropertyBag& bag) {
    return bag.Read(L"AllowCustomColors", true, AllowCustomColors);
}

HRESULT ColorBrowser::WriteProperties(PropertyBag& bag) {
    return bag.Write(L"AllowCustomColors", AllowCustomColors, true);
}

// Each step stands alone: narrower than the button, the swatch keeps its place while the button moves.
void ColorBrowser::Resize() {
    const int b = cmdBrowse.Width();
    const color::SwatchLayout layout = color::SwatchAndButton(ScaleWidth(), b, Screen::TwipsPerPixelX());
    (void)cmdBrowse.Move(Twips(layout.buttonLeft), 0, b, ScaleHeight());
    (void)picSelection.Move(0, 0, Twips(layout.swatchWidth), ScaleHeight());
}

void ColorBrowser::Show() {
    Variant tip, text;
    if (SUCCEEDED(Extender(L"ToolTipText", tip)) && SUCCEEDED(tip.As(VT_BSTR, text)))
        picSelection.SetToolTipText({text.get()->bstrVal, SysStringLen(text.get()->bstrVal)});
}

void ColorBrowser::KeyDown(short& keyCode, short shift) {
    if (keyCode == VK_DOWN && shift == 4) (void)cmdBrowse_Click();
}

// ---------------------------------------------------------------- browsing

HRESULT ColorBrowser::cmdBrowse_Click() {
    ComPtr<IUnknown> keepAlive(Identity());
    RETURN_IF_FAILED(picSelection.SetFocus());
    if (!ShowColorDialog(SelectedColor, AllowCustomColors)) return S_OK;
    picSelection_Paint();
    return RaiseEvent(kChange, SelectedColor); // the host's handler may change the colour through it
}

bool ColorBrowser::ShowColorDialog(LONG& selectedColor, bool& allowCustomColors) {
    std::array<COLORREF, 16> custom{}; // black, made afresh: what the user defines is gone afterwards
    CHOOSECOLORW record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = hWnd();
    record.hInstance = reinterpret_cast<HWND>(Module::Instance());
    record.rgbResult = 0;
    record.lpCustColors = custom.data();
    record.Flags = allowCustomColors ? 0 : CC_PREVENTFULLOPEN;
    if (CurrentPlatform().ChooseColor(&record) <= 0) return false;
    selectedColor = static_cast<LONG>(record.rgbResult);
    return true;
}

// The focus rectangle is drawn by inversion, so a second paint while the focus stays takes it away again.
void ColorBrowser::picSelection_Paint() {
    const float tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
    if (GetFocus() == picSelection.hWnd()) {
        RECT r;
        GetClientRect(picSelection.hWnd(), &r);
        InflateRect(&r, -1, -1);
        if (HDC dc = picSelection.hDC()) DrawFocusRect(dc, &r);
    } else {
        picSelection.Cls();
    }
    picSelection.FillRect(2 * tx, 2 * ty, picSelection.ScaleWidth() - 3 * tx,
                          picSelection.ScaleHeight() - 3 * ty, static_cast<OleColor>(SelectedColor));
}

// ---------------------------------------------------------------- what a screen reader reads

AccessibleElement ColorBrowser::Describe(long child) const {
    if (child == 1) return PushButtonElement(cmdBrowse.hWnd(), L"Browse");
    AccessibleElement box = UserControl::Describe(child);
    box.role = ROLE_SYSTEM_TEXT;
    box.value = color::HexColor(ResolveColor(static_cast<OleColor>(SelectedColor)));
    box.state |= STATE_SYSTEM_READONLY;
    box.defaultAction = L"Open"; // a click on the swatch browses as the button does
    return box;
}

HRESULT ColorBrowser::DoDefaultAction(long) {
    return cmdBrowse_Click();
}
