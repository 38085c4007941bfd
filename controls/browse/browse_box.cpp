#include "browse_box.h"

#include "about_box.h"
#include "browse_layout.h"
#include "dravlix.h"
#include "services/picture.h"
#include "services/screen.h"

#include <array>

namespace {
constexpr DISPID kChange = 1;
constexpr OleColor kWindowBackground = 0x80000005;
constexpr OleColor kWindowText = 0x80000008;
constexpr OleColor kLight3D = 0x80000016;

// 16 by 16 button pictures in colours of the standard 16-colour palette; '.' is transparent.
using IconArt = std::array<const char*, 16>;
constexpr IconArt kSheet = {
    "................", "...kkkkkkkk.....", "...kwwwwwwkk....", "...kwwwwwwkgk...",
    "...kwwwwwwkggk..", "...kwwwwwwkkkkk.", "...kwwwwwwwwwwk.", "...kwwwwwwwwwwk.",
    "...kwwwwwwwwwwk.", "...kwwwwwwwwwwk.", "...kwwwwwwwwwwk.", "...kwwwwwwwwwwk.",
    "...kwwwwwwwwwwk.", "...kwwwwwwwwwwk.", "...kkkkkkkkkkkk.", "................",
};
constexpr IconArt kFolder = {
    "................", "................", "................", "..gggg..........",
    ".gyyyyg.........", ".gyyyyyggggggg..", ".gyyyyyyyyyyyyg.", ".gyyyyyyyyyyyyg.",
    ".gyyyyyyyyyyyyg.", ".gyyyyyyyyyyyyg.", ".gyyyyyyyyyyyyg.", ".gyyyyyyyyyyyyg.",
    ".gyyyyyyyyyyyyg.", ".gggggggggggggg.", "................", "................",
};

// Palette index of an art character: black, white, grey, yellow.
BYTE PaletteIndex(char c) {
    switch (c) {
    case 'w':
        return 15;
    case 'g':
        return 8;
    case 'y':
        return 11;
    default:
        return 0; // black, and the black under a transparent pixel
    }
}

ComPtr<IPicture> ButtonIcon(const IconArt& art) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[16];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 4, BI_RGB, 0, 0, 0, 16, 0};
    static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
        info.colors[i] = {GetBValue(vga[i]), GetGValue(vga[i]), GetRValue(vga[i]), 0};
    void* bits = nullptr;
    UniqueHbitmap color(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!color || !bits) return nullptr;
    BYTE mask[16 * 2] = {};                  // 1: transparent; rows of one WORD
    auto* pixels = static_cast<BYTE*>(bits); // two pixels a byte, rows of 8 bytes
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; x += 2) {
            pixels[y * 8 + x / 2] = BYTE(PaletteIndex(art[y][x]) << 4 | PaletteIndex(art[y][x + 1]));
            for (int i : {x, x + 1})
                if (art[y][i] == '.') mask[y * 2 + i / 8] |= BYTE(0x80 >> (i % 8));
        }
    UniqueHbitmap monochrome(CreateBitmap(16, 16, 1, 1, mask));
    if (!monochrome) return nullptr;
    ICONINFO icon{TRUE, 0, 0, monochrome.get(), color.get()};
    return PictureFromIcon(CreateIconIndirect(&icon), true);
}

} // namespace

BrowseBox::BrowseBox(const ClassIdentity& identity, IDispatch* dual, BrowseIcon icon)
    : UserControl(identity, dual) {
    SetBorderStyle(1);
    SetBackColor(kWindowBackground);
    KeyPreview = true;
    cmdBrowse.SetPicture(ButtonIcon(icon == BrowseIcon::Folder ? kFolder : kSheet));
    cmdBrowse.Move(0, 0, 270, 465);
    // Tab goes to the field; the button is there for the mouse, Alt+Down for the keyboard.
    cmdBrowse.SetTabStop(false);
    txtFolder.SetBorderStyle(0);
    txtFolder.SetFont(MakeFont(FontSpec{})); // the designer's font, whatever the container's is
    cmdBrowse.Click = [this] { cmdBrowse_Click(); };
    txtFolder.Change = [this] { txtFolder_Change(); };
    txtFolder.Accessibility = this; // the focus rests there: a screen reader reads the control
}

// ---------------------------------------------------------------- properties: all held by txtFolder

HRESULT BrowseBox::AboutBox() {
    return ShowAboutBox();
}

HRESULT BrowseBox::get_BackColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.BackColor();
    return S_OK;
}

HRESULT BrowseBox::put_BackColor(OLE_COLOR New_BackColor) {
    txtFolder.SetBackColor(New_BackColor);
    PropertyChanged(L"BackColor");
    return S_OK;
}

HRESULT BrowseBox::get_ForeColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.ForeColor();
    return S_OK;
}

HRESULT BrowseBox::put_ForeColor(OLE_COLOR New_ForeColor) {
    txtFolder.SetForeColor(New_ForeColor);
    PropertyChanged(L"ForeColor");
    return S_OK;
}

HRESULT BrowseBox::get_Enabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.Enabled() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowseBox::put_Enabled(VARIANT_BOOL New_Enabled) {
    txtFolder.SetEnabled(New_Enabled != VARIANT_FALSE);
    PropertyChanged(L"Enabled");
    return S_OK;
}

HRESULT BrowseBox::get_Font(IFontDisp** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    ComPtr<IFont> font = txtFolder.Font();
    return font ? font->QueryInterface(IID_PPV_ARGS(value)) : S_OK;
}

HRESULT BrowseBox::putref_Font(IFontDisp* New_Font) {
    if (!New_Font) return Error(CTL_E_INVALIDPROPERTYVALUE, L"A font object is required.");
    ComPtr<IFont> font;
    RETURN_IF_FAILED(New_Font->QueryInterface(IID_PPV_ARGS(&font)));
    RETURN_IF_FAILED(txtFolder.SetFont(font));
    PropertyChanged(L"Font");
    return S_OK;
}

HRESULT BrowseBox::Refresh() {
    txtFolder.Refresh();
    return S_OK;
}

HRESULT BrowseBox::get_Locked(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.Locked() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT BrowseBox::put_Locked(VARIANT_BOOL New_Locked) {
    txtFolder.SetLocked(New_Locked != VARIANT_FALSE);
    PropertyChanged(L"Locked");
    return S_OK;
}

HRESULT BrowseBox::get_SelLength(long* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.SelLength();
    return S_OK;
}

HRESULT BrowseBox::put_SelLength(long New_SelLength) {
    RETURN_IF_FAILED(txtFolder.SetSelLength(New_SelLength));
    PropertyChanged(L"SelLength");
    return S_OK;
}

HRESULT BrowseBox::get_SelStart(long* value) {
    if (!value) return E_POINTER;
    *value = txtFolder.SelStart();
    return S_OK;
}

HRESULT BrowseBox::put_SelStart(long New_SelStart) {
    RETURN_IF_FAILED(txtFolder.SetSelStart(New_SelStart));
    PropertyChanged(L"SelStart");
    return S_OK;
}

HRESULT BrowseBox::get_SelText(BSTR* value) {
    return CopyText(txtFolder.SelText(), value);
}

HRESULT BrowseBox::put_SelText(BSTR New_SelText) {
    txtFolder.SetSelText(TextOf(New_SelText));
    PropertyChanged(L"SelText");
    return S_OK;
}

HRESULT BrowseBox::get_Text(BSTR* value) {
    return CopyText(txtFolder.Text(), value);
}

HRESULT BrowseBox::put_Text(BSTR New_Text) {
    txtFolder.SetText(TextOf(New_Text));
    PropertyChanged(L"Text");
    return S_OK;
}

// ---------------------------------------------------------------- persistence

HRESULT BrowseBox::ReadProperties(PropertyBag& bag) {
    OleColor backColor, foreColor;
    bool enabled, locked;
    ComPtr<IFont> font;
    LONG selLength, selStart;
    std::wstring selText, text;
    RETURN_IF_FAILED(bag.Read(L"BackColor", kWindowBackground, backColor));
    txtFolder.SetBackColor(backColor);
    RETURN_IF_FAILED(bag.Read(L"ForeColor", kWindowText, foreColor));
    txtFolder.SetForeColor(foreColor);
    RETURN_IF_FAILED(bag.Read(L"Enabled", true, enabled));
    txtFolder.SetEnabled(enabled);
    // A copy of the container's font: what is done to the field's font must not reach the form's.
    RETURN_IF_FAILED(bag.Read(L"Font", CloneFont(Ambient().Font.Get()).Get(), font));
    if (font) RETURN_IF_FAILED(txtFolder.SetFont(font));
    RETURN_IF_FAILED(bag.Read(L"Locked", false, locked));
    txtFolder.SetLocked(locked);
    RETURN_IF_FAILED(bag.Read(L"SelLength", LONG{0}, selLength));
    RETURN_IF_FAILED(txtFolder.SetSelLength(selLength));
    RETURN_IF_FAILED(bag.Read(L"SelStart", LONG{0}, selStart));
    RETURN_IF_FAILED(txtFolder.SetSelStart(selStart));
    RETURN_IF_FAILED(bag.Read(L"SelText", L"", selText));
    txtFolder.SetSelText(selText);
    RETURN_IF_FAILED(bag.Read(L"Text", L"", text));
    txtFolder.SetText(text);
    return S_OK;
}

HRESULT BrowseBox::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(bag.Write(L"BackColor", txtFolder.BackColor(), kWindowBackground));
    RETURN_IF_FAILED(bag.Write(L"ForeColor", txtFolder.ForeColor(), kWindowText));
    RETURN_IF_FAILED(bag.Write(L"Enabled", txtFolder.Enabled(), true));
    RETURN_IF_FAILED(bag.Write(L"Font", txtFolder.Font().Get(), Ambient().Font.Get()));
    RETURN_IF_FAILED(bag.Write(L"Locked", txtFolder.Locked(), false));
    RETURN_IF_FAILED(bag.Write(L"SelLength", LONG{txtFolder.SelLength()}, LONG{0}));
    RETURN_IF_FAILED(bag.Write(L"SelStart", LONG{txtFolder.SelStart()}, LONG{0}));
    RETURN_IF_FAILED(bag.Write(L"SelText", txtFolder.SelText(), L""));
    return bag.Write(L"Text", txtFolder.Text(), L"");
}

// ---------------------------------------------------------------- layout, drawing, keys

void BrowseBox::Resize() {
    const BrowseFrameLayout layout = LayOutBrowseFrame(ScaleWidth(), ScaleHeight(), cmdBrowse.Width(),
                                                       Screen::TwipsPerPixelX(), Screen::TwipsPerPixelY());
    // Each step on its own: a control too narrow for the field still gets its button placed.
    (void)cmdBrowse.Move(layout.button.left, layout.button.top, layout.button.width, layout.button.height);
    (void)txtFolder.Move(layout.text.left, layout.text.top, layout.text.width, layout.text.height);
}

// The surface is already cleared to the background; the separator is the pixel column left of the button.
void BrowseBox::Paint() {
    HDC dc = hDC();
    const int x = Screen::TwipsToPixelsX(cmdBrowse.Left()) - 1;
    RECT column{x, 0, x + 1, Screen::TwipsToPixelsY(ScaleHeight()) + 1};
    SetDCBrushColor(dc, ResolveColor(kLight3D));
    FillRect(dc, &column, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void BrowseBox::Show() {
    // A container without tool tips has nothing to copy.
    Variant tip, text;
    if (SUCCEEDED(Extender(L"ToolTipText", tip)) && SUCCEEDED(tip.As(VT_BSTR, text)))
        txtFolder.SetToolTipText(TextOf(text.get()->bstrVal));
}

// Alt alone with the down arrow, from either child (key preview); the key goes on to the child as usual.
void BrowseBox::KeyDown(short& keyCode, short shift) {
    if (keyCode == VK_DOWN && shift == 4) (void)Browse(); // a key has nobody to report a failure to
}

// ---------------------------------------------------------------- the browse action

HRESULT BrowseBox::Browse() {
    ComPtr<IUnknown> keepAlive(Identity()); // the host may let go of us while the dialog is open
    RETURN_IF_FAILED(txtFolder.SetFocus());
    std::wstring path;
    RETURN_IF_FAILED(ShowDialog(path));
    if (!path.empty()) txtFolder.SetText(path);
    return S_OK;
}

void BrowseBox::cmdBrowse_Click() {
    (void)Browse(); // a click has nobody to report a failure to
}

void BrowseBox::txtFolder_Change() {
    RaiseEvent(kChange);
}

// ---------------------------------------------------------------- what a screen reader reads

// The control's Enabled is the field's; the button does nothing while the field is disabled.
AccessibleElement BrowseBox::Describe(long child) const {
    const long disabled = txtFolder.Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE;
    if (child == 1) {
        AccessibleElement button = PushButtonElement(cmdBrowse.hWnd(), L"Browse");
        button.state |= disabled;
        return button;
    }
    AccessibleElement field = UserControl::Describe(child);
    field.role = ROLE_SYSTEM_TEXT;
    field.value = txtFolder.Text();
    field.state |= disabled | (txtFolder.Locked() ? STATE_SYSTEM_READONLY : 0);
    return field;
}

HRESULT BrowseBox::DoDefaultAction(long child) {
    return child == 1 ? Browse() : DISP_E_MEMBERNOTFOUND;
}
