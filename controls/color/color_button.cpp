#include "color_button.h"
#include "misc_status.h"

#include "about_box.h"
#include "by_name.h"
#include "custom_color_block.h"
#include "float_popup.h"
#include "services/platform.h"
#include "services/screen.h"

#include <algorithm>
#include <cmath>

namespace {
enum : DISPID { kClick = 1 };
constexpr OLE_COLOR kDefaultColor = 0x00FFFFFF;

// The control's own surface: the paint's DC while Paint runs, the window's otherwise.
class SurfaceDc {
public:
    SurfaceDc(HWND hwnd, HDC painting)
        : hwnd_(hwnd), dc_(painting ? painting : GetDC(hwnd)), owned_(!painting) {}
    ~SurfaceDc() {
        if (owned_ && dc_) ReleaseDC(hwnd_, dc_);
    }
    SurfaceDc(const SurfaceDc&) = delete;
    SurfaceDc& operator=(const SurfaceDc&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
    bool owned_;
};

RECT PixelsOf(const color::TwipBox& box) {
    const double tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
    const LONG x1 = std::lround(box.x1 / tx), x2 = std::lround(box.x2 / tx);
    const LONG y1 = std::lround(box.y1 / ty), y2 = std::lround(box.y2 / ty);
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
}

void Fill(HDC dc, const RECT& r, OleColor color) {
    SetDCBrushColor(dc, ResolveColor(color));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Frame(HDC dc, const RECT& r, OleColor color) {
    SetDCBrushColor(dc, ResolveColor(color));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

RECT Win32Rect(const color::PixelRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}
} // namespace

HRESULT CreateColorButton(REFIID iid, void** object) {
    return CreateControl<ColorButton>(iid, object);
}

ColorButton::ColorButton()
    : UserControl(ClassOf(CLSID_ColorButton, DIID___ColorButton, kButtonStatus, 735, 330), this) {
    picPopup.SetVisible(false);
    picPopup.SetBorderStyle(0);
    picPopup.Paint = [this] { picPopup_Paint(); };
    picPopup.MouseMove = [this](short b, short s, float x, float y) { picPopup_MouseMove(b, s, x, y); };
    picPopup.MouseDown = [this](short b, short s, float x, float y) { picPopup_MouseDown(b, s, x, y); };
    picPopup.MouseUp = [this](short b, short s, float x, float y) { picPopup_MouseUp(b, s, x, y); };
    popupList.Entry = [this](long k) { return PaletteEntry(k); };
    popupList.Choose = [this](long k) { ChoosePaletteEntry(k); };
}

// ---------------------------------------------------------------- properties

STDMETHODIMP ColorButton::get_SelectedColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = SelectedColor;
    return S_OK;
}

STDMETHODIMP ColorButton::put_SelectedColor(OLE_COLOR New_SelectedColor) {
    SelectedColor = New_SelectedColor;
    PropertyChanged(L"SelectedColor");
    DrawFace(false);
    return S_OK;
}

STDMETHODIMP ColorButton::AboutBox() {
    return ShowAboutBox();
}

// ---------------------------------------------------------------- life cycle and persistence

void ColorButton::Initialize() {
    FloatPopup(picPopup);
    picPopup.SetScaleMode(3);
    BuildPalette();
}

HRESULT ColorButton::InitProperties() {
    SelectedColor = kDefaultColor;
    return S_OK;
}

HRESULT ColorButton::ReadProperties(PropertyBag& bag) {
    return bag.Read(L"SelectedColor", OleColor{kDefaultColor}, SelectedColor);
}

HRESULT ColorButton::WriteProperties(PropertyBag& bag) {
    return bag.Write(L"SelectedColor", SelectedColor, OleColor{kDefaultColor});
}

void ColorButton::BuildPalette() {
    Palette = color::BuildPaletteTable();
    picPopup.SetHeight(static_cast<int>(std::lround(color::kPaletteHeight * Screen::TwipsPerPixelY())));
    picPopup.SetWidth(static_cast<int>(std::lround(color::kPaletteWidth * Screen::TwipsPerPixelX())));
}

// ---------------------------------------------------------------- the face

void ColorButton::Paint() {
    DrawFace(false);
}
void ColorButton::MouseDown(short, short, float, float) {
    DrawFace(true);
}
void ColorButton::MouseUp(short, short, float, float) {
    DrawFace(false);
}
void ColorButton::EnterFocus() {
    DrawFace(false);
}

void ColorButton::ExitFocus() {
    if (picPopup.Visible()) (void)HidePopup(); // a handler has nobody to report to
    DrawFace(false);
}

void ColorButton::DrawFace(bool pressed) {
    SurfaceDc dc(hWnd(), hDC());
    if (!dc) return;
    RECT client;
    GetClientRect(hWnd(), &client);
    Fill(dc, client, BackColor());
    const color::FaceLayout face = color::ButtonFace(ScaleWidth(), ScaleHeight(), Screen::TwipsPerPixelX(),
                                                     Screen::TwipsPerPixelY(), pressed);
    Frame(dc, PixelsOf(face.frame), 0x000000);
    Fill(dc, PixelsOf(face.swatch), SelectedColor);
    Fill(dc, PixelsOf(face.shadow), 0x80000010);
    Fill(dc, PixelsOf(face.highlight), 0x80000014);
    for (const color::TwipBox& row : face.arrow)
        Fill(dc, PixelsOf(row), 0x000000);
    DrawEdge(dc, &client, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (GetFocus() == hWnd() && !picPopup.Visible() && Ambient().UserMode) {
        RECT focus = client;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

// ---------------------------------------------------------------- opening and closing

void ColorButton::Click() {
    if (picPopup.Visible())
        (void)HidePopup();
    else
        ShowPopup();
}

void ColorButton::KeyDown(short& keyCode, short shift) {
    if (keyCode == VK_SPACE && shift == 0)
        Click();
    else if (keyCode == VK_ESCAPE && picPopup.Visible())
        (void)HidePopup();
}

void ColorButton::ShowPopup() {
    ComPtr<IUnknown> keepAlive(Identity()); // pending messages run inside, the host's among them
    ::ShowPopup(
        hWnd(), picPopup, [this] { picPopup_Paint(); }, [this] { DrawFace(false); });
    SwitchOffCancel();
}

HRESULT ColorButton::HidePopup() {
    ComPtr<IUnknown> keepAlive(Identity());
    ::HidePopup(picPopup, [this] { DrawFace(false); });
    if (!CancelControl) return S_OK;
    return PutByName(CancelControl.Get(), L"Cancel", Variant::Bool(true));
}

// While the palette is open Escape belongs to it, not to the form's cancel button. Every step of the search
// may fail: a control without "Cancel" is simply not the one.
void ColorButton::SwitchOffCancel() {
    Variant parent, controls, count;
    if (FAILED(Extender(L"Parent", parent))) return;
    ComPtr<IDispatch> form = DispatchOf(parent);
    if (!form || FAILED(GetByName(form.Get(), L"Controls", controls))) return;
    ComPtr<IDispatch> collection = DispatchOf(controls);
    Variant n;
    if (!collection || FAILED(GetByName(collection.Get(), L"Count", count)) || FAILED(count.As(VT_I4, n)))
        return;
    for (LONG i = 0; i < n.get()->lVal; ++i) {
        Variant item, cancel, isCancel;
        const Variant index = Variant::I4(i);
        if (FAILED(GetByName(collection.Get(), L"Item", item, &index))) continue;
        ComPtr<IDispatch> control = DispatchOf(item);
        if (!control || FAILED(GetByName(control.Get(), L"Cancel", cancel)) ||
            FAILED(cancel.As(VT_BOOL, isCancel)))
            continue;
        if (isCancel.get()->boolVal == VARIANT_FALSE) continue;
        CancelControl = control;
        (void)PutByName(control.Get(), L"Cancel", Variant::Bool(false));
        return;
    }
}

// ---------------------------------------------------------------- the palette

void ColorButton::picPopup_Paint() {
    HDC dc = picPopup.hDC();
    if (!dc) return;
    RECT client;
    GetClientRect(picPopup.hWnd(), &client);
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
    for (int k = color::kFirstColorCell; k <= color::kLastColorCell; ++k)
        DrawCell(k);
    RECT other = Win32Rect(Palette[color::kOtherCell].CellRect);
    DrawEdge(dc, &other, EDGE_RAISED, BF_RECT);
    RECT caption = Win32Rect(Palette[color::kOtherCell].FillRect);
    auto font = reinterpret_cast<HFONT>(SendMessageW(picPopup.hWnd(), WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, ResolveColor(picPopup.ForeColor()));
    DrawTextW(dc, L"Other...", 8, &caption, DT_CENTER);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
}

void ColorButton::DrawCell(int k) {
    HDC dc = picPopup.hDC();
    if (!dc) return;
    const color::PaletteCell& cell = Palette[k];
    RECT edge = Win32Rect(cell.CellRect);
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    const color::PixelRect& f = cell.FillRect;
    picPopup.FillRect(f.left, f.top, f.right - 1, f.bottom - 1, cell.Color);
}

void ColorButton::HighlightCell(int k) {
    const color::PixelRect& r = Palette[k].CellRect;
    picPopup.Box(r.left, r.top, r.right - 1, r.bottom - 1, 0x000000);
    picPopup.Box(r.left + 1, r.top + 1, r.right - 2, r.bottom - 2, 0xFFFFFF);
    picPopup.Box(r.left + 2, r.top + 2, r.right - 3, r.bottom - 3, 0x000000);
}

// Only the cell left and the cell entered are drawn again; a point on no entry changes nothing.
void ColorButton::picPopup_MouseMove(short, short, float x, float y) {
    const int k = color::PaletteHit(Palette, color::RoundHalfEven(x), color::RoundHalfEven(y));
    if (k == 0 || k == HotCell) return;
    if (color::IsColorCell(HotCell)) DrawCell(HotCell);
    if (color::IsColorCell(k)) HighlightCell(k);
    HotCell = static_cast<short>(k);
}

// "Other..." stays the entry last entered until another is, so a press anywhere then opens the dialog.
void ColorButton::picPopup_MouseDown(short, short, float, float) {
    if (HotCell != color::kOtherCell) return;
    ComPtr<IUnknown> keepAlive(Identity());
    (void)HidePopup();
    OLE_COLOR chosen = 0;
    if (!PickCustomColor(chosen)) return;
    SelectedColor = chosen;
    DrawFace(false);
    RaiseEvent(kClick);
}

// The colour is the cell entered last, which need not be the one under the pointer.
void ColorButton::picPopup_MouseUp(short button, short, float x, float y) {
    ComPtr<IUnknown> keepAlive(Identity());
    RECT client;
    GetClientRect(picPopup.hWnd(), &client);
    const POINT p{color::RoundHalfEven(x), color::RoundHalfEven(y)};
    if (button == 1 && color::IsColorCell(HotCell) && PtInRect(&client, p)) {
        SelectedColor = Palette[HotCell].Color;
        RaiseEvent(kClick);
    }
    (void)HidePopup();
}

// ---------------------------------------------------------------- what a screen reader reads

AccessibleElement ColorButton::Describe(long child) const {
    AccessibleElement button = UserControl::Describe(child);
    if (child != CHILDID_SELF) return button;
    const bool open = picPopup.Visible();
    button.role = ROLE_SYSTEM_BUTTONDROPDOWN;
    button.value = color::HexColor(ResolveColor(SelectedColor));
    button.state |= STATE_SYSTEM_HASPOPUP | (open ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED);
    if (GetCapture() == hWnd()) button.state |= STATE_SYSTEM_PRESSED;
    button.defaultAction = open ? L"Close" : L"Open";
    return button;
}

// A click: the focus comes here, and the palette opens or closes.
HRESULT ColorButton::DoDefaultAction(long child) {
    if (child != CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
    ComPtr<IUnknown> keepAlive(Identity());
    if (GetFocus() != hWnd()) SetFocus(hWnd());
    Click();
    return S_OK;
}

AccessibleElement ColorButton::PaletteEntry(long k) const {
    AccessibleElement entry;
    const color::PaletteCell& cell = Palette[static_cast<size_t>(k)];
    entry.screen = Win32Rect(cell.CellRect);
    if (color::IsColorCell(k)) {
        entry.role = ROLE_SYSTEM_LISTITEM;
        entry.name = color::ColorName(cell.Color);
        entry.value = color::HexColor(cell.Color);
        entry.defaultAction = L"Select";
        entry.state = STATE_SYSTEM_SELECTABLE | (cell.Color == SelectedColor ? STATE_SYSTEM_SELECTED : 0);
    } else {
        entry.role = ROLE_SYSTEM_PUSHBUTTON;
        entry.name = L"Other...";
        entry.defaultAction = L"Press";
    }
    if (k == HotCell) entry.state |= STATE_SYSTEM_HOTTRACKED;
    return entry;
}

// The mouse's way: onto the entry, pressed and released there.
void ColorButton::ChoosePaletteEntry(long k) {
    ComPtr<IUnknown> keepAlive(Identity());
    const color::PixelRect& r = Palette[static_cast<size_t>(k)].CellRect;
    const float x = float(r.left + r.right) / 2, y = float(r.top + r.bottom) / 2;
    picPopup_MouseMove(0, 0, x, y);
    picPopup_MouseDown(1, 0, x, y);
    if (picPopup.Visible()) picPopup_MouseUp(1, 0, x, y);
}

bool ColorButton::PickCustomColor(OLE_COLOR& chosen) {
    std::array<COLORREF, 16> white;
    white.fill(0x00FFFFFF);
    CustomColorBlock block(white);
    if (!block.data()) return false; // the dialog must never get an address that is not there
    CHOOSECOLORW record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = hWnd();
    record.hInstance = nullptr;
    record.rgbResult = SelectedColor; // a system colour goes as it is
    record.lpCustColors = block.data();
    record.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (CurrentPlatform().ChooseColor(&record) != 1) return false;
    chosen = record.rgbResult;
    return true;
}
