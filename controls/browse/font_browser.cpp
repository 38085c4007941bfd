#include "font_browser.h"
#include "misc_status.h"

#include "about_box.h"
#include "browse_layout.h"
#include "dialog_values.h"
#include "services/platform.h"
#include "services/screen.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr DISPID kChange = 1;
constexpr OleColor kWindowBackground = 0x80000005;
constexpr OleColor kWindowText = 0x80000008;
constexpr OleColor kHighlight = 0x8000000D;
constexpr OleColor kHighlightText = 0x8000000E;
constexpr LONG_PTR kScreenFonts = -1;

static_assert(sizeof(CHOOSEFONTW) == (sizeof(void*) == 8 ? 104 : 60), "the record the dialog expects");

std::wstring NameOf(IFont* font) {
    Bstr name;
    if (font) font->get_Name(name.put());
    return name.str();
}

// A property of an automation object, read by name the way a script reads it.
HRESULT PropertyByName(IDispatch* object, const wchar_t* name, Variant& value) {
    RETURN_HR_IF_NULL(E_POINTER, object);
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    RETURN_IF_FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS none{};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(),
                          nullptr, nullptr);
}

int ScreenDpiY() {
    return static_cast<int>(std::lround(1440.0 / Screen::TwipsPerPixelY()));
}
} // namespace

HRESULT CreateFontBrowser(REFIID iid, void** object) {
    return CreateControl<FontBrowser>(iid, object);
}

FontBrowser::FontBrowser()
    : UserControl(ClassOf(CLSID_FontBrowser, DIID___FontBrowser, kCommonStatus, 2535, 465), this) {
    SetBorderStyle(1);
    SetBackColor(kWindowBackground);
    SetForeColor(kWindowText);
    KeyPreview = true;

    picBrowse.SetBorderStyle(0);
    // The button's font once, here: setting it on every draw would redraw the button without end.
    picBrowse.SetFont(MakeFont(FontSpec{L"System", 10, true}));
    picBrowse.MouseDown = [this](short b, short s, float x, float y) { picBrowse_MouseDown(b, s, x, y); };
    picBrowse.MouseUp = [this](short b, short s, float x, float y) { picBrowse_MouseUp(b, s, x, y); };
    picBrowse.Paint = [this] { picBrowse_Paint(); };
    picBrowse.Click = [this] { picBrowse_Click(); };
    picBrowse.Accessibility = this; // the focus rests there: a screen reader reads the control

    lblFont.SetBackStyle(1);
    lblFont.SetAlignment(0);
    lblFont.SetBorderStyle(0);
    lblFont.SetUseMnemonic(false); // a face name is shown as it is, "&" included
    lblFont.SetCaption(L"");
}

// ---------------------------------------------------------------- properties

STDMETHODIMP FontBrowser::AboutBox() {
    return ShowAboutBox();
}

STDMETHODIMP FontBrowser::get_BackColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = BackColor();
    return S_OK;
}

STDMETHODIMP FontBrowser::put_BackColor(OLE_COLOR New_BackColor) {
    SetBackColor(New_BackColor);
    PropertyChanged(L"BackColor");
    return S_OK;
}

STDMETHODIMP FontBrowser::get_ForeColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = ForeColor();
    return S_OK;
}

STDMETHODIMP FontBrowser::put_ForeColor(OLE_COLOR New_ForeColor) {
    SetForeColor(New_ForeColor);
    PropertyChanged(L"ForeColor");
    return S_OK;
}

STDMETHODIMP FontBrowser::get_Enabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = Enabled() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP FontBrowser::put_Enabled(VARIANT_BOOL New_Enabled) {
    SetEnabled(New_Enabled != VARIANT_FALSE);
    PropertyChanged(L"Enabled");
    return S_OK;
}

STDMETHODIMP FontBrowser::get_Font(IFontDisp** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    ComPtr<IFont> font = lblFont.Font();
    return font ? font->QueryInterface(IID_PPV_ARGS(value)) : S_OK;
}

STDMETHODIMP FontBrowser::putref_Font(IFontDisp* New_Font) {
    if (!New_Font) return Error(CTL_E_INVALIDPROPERTYVALUE, L"A font object is required.");
    ComPtr<IFont> font;
    RETURN_IF_FAILED(New_Font->QueryInterface(IID_PPV_ARGS(&font)));
    RETURN_IF_FAILED(lblFont.SetFont(font));
    PropertyChanged(L"Font");
    lblFont.SetCaption(NameOf(font.Get()));
    return S_OK;
}

STDMETHODIMP FontBrowser::Refresh() {
    lblFont.Refresh();
    return S_OK;
}

// ---------------------------------------------------------------- life cycle

void FontBrowser::Initialize() {
    (void)picBrowse.SetWidth(
        static_cast<int>(std::lround(GetSystemMetrics(SM_CXVSCROLL) * Screen::TwipsPerPixelX())));
}

HRESULT FontBrowser::ShowFont(ComPtr<IFont> font) {
    if (!font) return S_OK; // no container font and none of the system's: the label keeps its own
    RETURN_IF_FAILED(lblFont.SetFont(font));
    lblFont.SetCaption(NameOf(font.Get()));
    return S_OK;
}

// A copy of the container's font: the dialog changes the label's font in place, and that must not
// change the form's.
HRESULT FontBrowser::InitProperties() {
    return ShowFont(CloneFont(Ambient().Font.Get()));
}

HRESULT FontBrowser::ReadProperties(PropertyBag& bag) {
    OleColor backColor, foreColor;
    bool enabled;
    ComPtr<IFont> font;
    RETURN_IF_FAILED(bag.Read(L"BackColor", kWindowBackground, backColor));
    SetBackColor(backColor);
    RETURN_IF_FAILED(bag.Read(L"ForeColor", kWindowText, foreColor));
    SetForeColor(foreColor);
    RETURN_IF_FAILED(bag.Read(L"Enabled", true, enabled));
    SetEnabled(enabled);
    RETURN_IF_FAILED(bag.Read(L"Font", CloneFont(Ambient().Font.Get()).Get(), font));
    return ShowFont(font);
}

HRESULT FontBrowser::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(bag.Write(L"BackColor", BackColor(), kWindowBackground));
    RETURN_IF_FAILED(bag.Write(L"ForeColor", ForeColor(), kWindowText));
    RETURN_IF_FAILED(bag.Write(L"Enabled", Enabled(), true));
    return bag.Write(L"Font", lblFont.Font().Get(), Ambient().Font.Get());
}

void FontBrowser::Resize() {
    const FontBrowserLayout layout = LayOutFontBrowser(ScaleWidth(), ScaleHeight(), picBrowse.Width(),
                                                       Screen::TwipsPerPixelX(), Screen::TwipsPerPixelY());
    // Each step on its own: a control too small for the label still gets its button placed.
    (void)picBrowse.Move(layout.button.left, layout.button.top, layout.button.width, layout.button.height);
    (void)lblFont.Move(layout.label.left, layout.label.top, layout.label.width, layout.label.height);
}

void FontBrowser::Show() {
    // A container without tool tips has nothing to copy.
    Variant tip, text;
    if (SUCCEEDED(Extender(L"ToolTipText", tip)) && SUCCEEDED(tip.As(VT_BSTR, text)))
        lblFont.SetToolTipText(std::wstring(text.get()->bstrVal, SysStringLen(text.get()->bstrVal)));
}

// ---------------------------------------------------------------- focus look

// The surface is already cleared when this runs, which also removed an earlier focus rectangle.
void FontBrowser::Paint() {
    const bool focused = picBrowse.hWnd() && GetFocus() == picBrowse.hWnd();
    if (focused) {
        RECT r;
        GetClientRect(hWnd(), &r);
        r.left += 1;
        r.top += 1;
        r.bottom -= 1;
        r.right = FocusRectRight(r.right, picBrowse.Width(), Screen::TwipsPerPixelX());
        DrawFocusRect(hDC(), &r);
    }
    const OleColor fore = focused ? kHighlightText : ForeColor();
    const OleColor back = focused ? kHighlight : kWindowBackground;
    // Only a real change repaints the label.
    if (lblFont.ForeColor() != fore) lblFont.SetForeColor(fore);
    if (lblFont.BackColor() != back) lblFont.SetBackColor(back);
}

void FontBrowser::RepaintSurface() {
    RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void FontBrowser::EnterFocus() {
    // The button is the only child that takes the focus; the control's own window hands it on.
    if (GetFocus() == hWnd()) (void)picBrowse.SetFocus();
    RepaintSurface();
}

void FontBrowser::ExitFocus() {
    RepaintSurface();
}

void FontBrowser::KeyDown(short& keyCode, short shift) {
    if (keyCode == VK_DOWN && shift == 4) (void)Browse(); // a key has nobody to report a failure to
}

// ---------------------------------------------------------------- the button

void FontBrowser::picBrowse_MouseDown(short, short, float, float) {
    DrawBrowseButton(true);
}
void FontBrowser::picBrowse_MouseUp(short, short, float, float) {
    DrawBrowseButton(false);
}
void FontBrowser::picBrowse_Paint() {
    DrawBrowseButton(false);
}
void FontBrowser::picBrowse_Click() {
    (void)Browse();
} // a click has nobody to report a failure to

void FontBrowser::DrawBrowseButton(bool pressed) {
    HDC dc = picBrowse.hDC();
    if (!dc) return;
    RECT r;
    GetClientRect(picBrowse.hWnd(), &r);
    picBrowse.Cls();
    DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
    const float tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
    const float x = picBrowse.ScaleWidth() / 2 - picBrowse.TextWidth(L"...") / 2 + (pressed ? tx : 0);
    const float y = picBrowse.ScaleHeight() - picBrowse.TextHeight(L"...") - 2 * ty + (pressed ? ty : 0);
    picBrowse.PrintText(x, y, L"...");
}

// ---------------------------------------------------------------- what a screen reader reads

AccessibleElement FontBrowser::Describe(long child) const {
    if (child == 1) return PushButtonElement(picBrowse.hWnd(), L"Browse");
    AccessibleElement field = UserControl::Describe(child);
    field.role = ROLE_SYSTEM_TEXT;
    field.value = lblFont.Caption();
    field.state |= STATE_SYSTEM_READONLY;
    return field;
}

HRESULT FontBrowser::DoDefaultAction(long child) {
    return child == 1 ? Browse() : DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------- the dialog

HRESULT FontBrowser::Browse() {
    ComPtr<IUnknown> keepAlive(Identity()); // the host may let go of us while the dialog is open
    ComPtr<IFont> f = lblFont.Font();       // the object itself: the dialog's choice goes into it
    RETURN_HR_IF_NULL(E_UNEXPECTED, f);
    OleColor c = ForeColor();
    Variant parent, handle, owner;
    RETURN_IF_FAILED(Extender(L"Parent", parent));
    if (parent.type() != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    RETURN_IF_FAILED(PropertyByName(parent.get()->pdispVal, L"hWnd", handle));
    RETURN_IF_FAILED(handle.As(VT_I4, owner));
    const HRESULT chosen = ShowFontDialog(
        f.Get(), kScreenFonts, reinterpret_cast<HWND>(static_cast<LONG_PTR>(owner.get()->lVal)), c);
    RETURN_IF_FAILED(chosen);
    if (chosen == S_FALSE) return S_OK;
    RETURN_IF_FAILED(lblFont.SetFont(f));
    SetForeColor(c);
    lblFont.SetCaption(NameOf(f.Get()));
    // By reference: a handler may put another object in its place, which is then ours to release.
    IDispatch* font = nullptr;
    RETURN_IF_FAILED(f->QueryInterface(IID_PPV_ARGS(&font)));
    RaiseEvent(kChange, font);
    if (font) font->Release();
    return S_OK;
}

HRESULT FontBrowser::ShowFontDialog(IFont* f, LONG_PTR d, HWND o, OleColor& c) {
    RETURN_HR_IF_NULL(E_POINTER, f);
    DWORD flags = CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    if (d == kScreenFonts) {
        d = 0;
        flags |= CF_SCREENFONTS;
    } else {
        flags |= CF_PRINTERFONTS;
    }
    CY size{};
    SHORT weight = FW_NORMAL;
    BOOL italic = FALSE, underline = FALSE, strikethrough = FALSE;
    RETURN_IF_FAILED(f->get_Size(&size));
    RETURN_IF_FAILED(f->get_Weight(&weight));
    RETURN_IF_FAILED(f->get_Italic(&italic));
    RETURN_IF_FAILED(f->get_Underline(&underline));
    RETURN_IF_FAILED(f->get_Strikethrough(&strikethrough));

    LOGFONTW lf{};
    lf.lfHeight = LogFontHeight(size.int64, ScreenDpiY());
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = strikethrough ? 1 : 0;
    const std::wstring name = NameOf(f);
    const std::u16string face =
        FaceNameField(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
    std::copy(face.begin(), face.end(), lf.lfFaceName); // the rest stays zero

    CHOOSEFONTW record{};
    record.lStructSize = sizeof(record);
    record.hwndOwner = o == reinterpret_cast<HWND>(-1) ? nullptr : o;
    record.hDC = reinterpret_cast<HDC>(d);
    record.lpLogFont = &lf;
    record.iPointSize = PointSizeTenths(size.int64);
    record.Flags = flags;
    record.rgbColors = c; // a system colour goes as it is
    // Cancelled and failed are alike: nothing changes.
    if (!CurrentPlatform().ChooseFont(&record)) return S_FALSE;

    c = record.rgbColors;
    // Weight after Bold, so that the weight decides the final boldness.
    RETURN_IF_FAILED(f->put_Bold((record.nFontType & BOLD_FONTTYPE) ? TRUE : FALSE));
    RETURN_IF_FAILED(f->put_Italic(lf.lfItalic ? TRUE : FALSE));
    RETURN_IF_FAILED(f->put_Strikethrough(lf.lfStrikeOut ? TRUE : FALSE));
    RETURN_IF_FAILED(f->put_Underline(lf.lfUnderline ? TRUE : FALSE));
    RETURN_IF_FAILED(f->put_Weight(static_cast<SHORT>(lf.lfWeight)));
    CY chosenSize{};
    chosenSize.int64 = SizeFromTenths(record.iPointSize);
    RETURN_IF_FAILED(f->put_Size(chosenSize));
    Bstr chosenName(TextBeforeNul(std::wstring_view(lf.lfFaceName, LF_FACESIZE)));
    return f->put_Name(chosenName.get());
}
