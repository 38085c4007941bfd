#include "color_selector.h"
#include "misc_status.h"

#include "about_box.h"
#include "color_geometry.h"
#include "float_popup.h"
#include "services/screen.h"

#include <cmath>

namespace {
enum : DISPID { kClick = 1 };

ComPtr<IFont> ArrowFont() {
    FONTDESC desc{
        sizeof(FONTDESC), const_cast<LPOLESTR>(L"Marlett"), {}, 500, SYMBOL_CHARSET, FALSE, FALSE, FALSE};
    desc.cySize.int64 = 97500; // 9.75 points
    ComPtr<IFont> font;
    if (FAILED(OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font)))) return nullptr;
    return font;
}

int Twips(double value) {
    return static_cast<int>(std::lround(value));
}
} // namespace

HRESULT CreateColorSelector(REFIID iid, void** object) {
    return CreateControl<ColorSelector>(iid, object);
}

ColorSelector::ColorSelector()
    : UserControl(ClassOf(CLSID_ColorSelector, DIID___ColorSelector, kCommonStatus, 1215, 315), this) {
    SetBorderStyle(1);
    SetBackColor(0x80000016);
    KeyPreview = true;

    picSelection.SetBorderStyle(0);
    picSelection.SetBackColor(0x80000005);
    picSelection.SetForeColor(0x80000008);
    picSelection.Paint = [this] { picSelection_Paint(); };
    picSelection.Click = [this] { (void)cmdPopup_Click(); };
    picSelection.GotFocus = [this] { picSelection_Paint(); };
    picSelection.LostFocus = [this] { picSelection_Paint(); };

    cmdPopup.SetCaption(L"6"); // the down arrow of the symbol font
    if (ComPtr<IFont> font = ArrowFont()) cmdPopup.SetFont(font);
    cmdPopup.Move(0, 0, 225, 315);
    cmdPopup.Click = [this] { (void)cmdPopup_Click(); };

    picPopup.SetVisible(false);
    picPopup.SetBorderStyle(0);
    picPopup.SetBackColor(0x80000005);
    picPopup.SetForeColor(0x80000008);
    picPopup.Move(0, 0, 1215, 3240);
    picPopup.Paint = [this] { picPopup_Paint(); };
    picPopup.MouseDown = [this](short b, short s, float x, float y) { picPopup_MouseDown(b, s, x, y); };
    picSelection.Accessibility = this; // the focus rests there: a screen reader reads the control
    popupList.Entry = [this](long entry) { return ListEntry(entry); };
    popupList.Choose = [this](long entry) { ChooseListEntry(entry); };
}

// ---------------------------------------------------------------- properties

STDMETHODIMP ColorSelector::get_SelectedColor(short* value) {
    if (!value) return E_POINTER;
    *value = SelectedIndex;
    return S_OK;
}

STDMETHODIMP ColorSelector::put_SelectedColor(short* New_SelectedColor) {
    if (!New_SelectedColor) return E_POINTER;
    if (*New_SelectedColor < 0 || *New_SelectedColor > 15) return S_OK;
    SelectedIndex = *New_SelectedColor;
    picSelection_Paint();
    return S_OK;
}

STDMETHODIMP ColorSelector::AboutBox() {
    return ShowAboutBox();
}

// ---------------------------------------------------------------- life cycle

void ColorSelector::Initialize() {
    FloatPopup(picPopup);
}

// Each step stands alone: on a control too small for one, that one fails and the others still run.
void ColorSelector::Resize() {
    const color::SwatchLayout layout =
        color::SwatchAndButton(ScaleWidth(), cmdPopup.Width(), Screen::TwipsPerPixelX());
    (void)cmdPopup.Move(Twips(layout.buttonLeft), 0, cmdPopup.Width(), ScaleHeight());
    (void)picSelection.Move(0, 0, Twips(layout.swatchWidth), ScaleHeight());
    Variant width, twips;
    if (SUCCEEDED(Extender(L"Width", width)) && SUCCEEDED(width.As(VT_I4, twips)))
        (void)picPopup.SetWidth(twips.get()->lVal);
}

void ColorSelector::Show() {
    Variant tip, text;
    if (SUCCEEDED(Extender(L"ToolTipText", tip)) && SUCCEEDED(tip.As(VT_BSTR, text)))
        picSelection.SetToolTipText({text.get()->bstrVal, SysStringLen(text.get()->bstrVal)});
}

void ColorSelector::KeyDown(short& keyCode, short shift) {
    if (keyCode != VK_DOWN && keyCode != VK_UP) return;
    if (shift == 4)
        (void)cmdPopup_Click();
    else
        MoveSelection(keyCode == VK_DOWN ? 1 : -1);
}

void ColorSelector::ExitFocus() {
    if (picPopup.Visible()) HidePopup();
}

// ---------------------------------------------------------------- the swatch and the list

HRESULT ColorSelector::cmdPopup_Click() {
    RETURN_IF_FAILED(picSelection.SetFocus());
    if (picPopup.Visible())
        HidePopup();
    else
        ShowPopup();
    return S_OK;
}

void ColorSelector::ShowPopup() {
    ComPtr<IUnknown> keepAlive(Identity()); // pending messages run inside, the host's among them
    ::ShowPopup(
        hWnd(), picPopup, [this] { picPopup_Paint(); }, [this] { picSelection_Paint(); });
}

void ColorSelector::HidePopup() {
    ComPtr<IUnknown> keepAlive(Identity());
    ::HidePopup(picPopup, [this] { picSelection_Paint(); });
}

void ColorSelector::MoveSelection(int step) {
    const int index = SelectedIndex + step;
    if (index < 0 || index > 15) return;
    SelectedIndex = static_cast<short>(index);
    picSelection_Paint();
    RaiseEvent(kClick);
}

// The focus rectangle is drawn by inversion, so a second paint while the focus stays takes it away again.
void ColorSelector::picSelection_Paint() {
    const float tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
    if (GetFocus() == picSelection.hWnd() && !picPopup.Visible()) {
        RECT r;
        GetClientRect(picSelection.hWnd(), &r);
        InflateRect(&r, -1, -1);
        if (HDC dc = picSelection.hDC()) DrawFocusRect(dc, &r);
    } else {
        picSelection.Cls();
    }
    picSelection.FillRect(2 * tx, 2 * ty, picSelection.ScaleWidth() - 3 * tx,
                          picSelection.ScaleHeight() - 3 * ty,
                          color::kStandardColors[static_cast<size_t>(SelectedIndex)]);
}

void ColorSelector::picPopup_Paint() {
    const float tx = Screen::TwipsPerPixelX(), ty = Screen::TwipsPerPixelY();
    const double width = picPopup.ScaleWidth(), height = picPopup.ScaleHeight();
    for (int i = 0; i < 16; ++i) {
        const color::ListRow row = color::ListRowBoxes(i, width, height, tx, ty);
        picPopup.Box(float(row.outline.x1), float(row.outline.y1), float(row.outline.x2),
                     float(row.outline.y2), 0x000000);
        picPopup.FillRect(float(row.fill.x1), float(row.fill.y1), float(row.fill.x2), float(row.fill.y2),
                          color::kStandardColors[static_cast<size_t>(i)]);
    }
}

// The open list holds the capture, so every press arrives here; one outside closes it without a choice.
void ColorSelector::picPopup_MouseDown(short button, short, float x, float y) {
    ComPtr<IUnknown> keepAlive(Identity());
    const int row = color::ListRowAt(x, y, picPopup.Width(), picPopup.Height(), picPopup.ScaleHeight());
    if (row < 0) {
        HidePopup();
        return;
    }
    if (button != 1) return;
    SelectedIndex = static_cast<short>(row);
    picSelection_Paint();
    HidePopup();
    RaiseEvent(kClick);
}

// ---------------------------------------------------------------- what a screen reader reads

AccessibleElement ColorSelector::Describe(long child) const {
    AccessibleElement combo = UserControl::Describe(child);
    if (child != CHILDID_SELF) return combo;
    const bool open = picPopup.Visible();
    combo.role = ROLE_SYSTEM_COMBOBOX;
    combo.value = color::HexColor(color::kStandardColors[static_cast<size_t>(SelectedIndex)]);
    combo.state |= STATE_SYSTEM_HASPOPUP | (open ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED);
    if (cmdPopup.hWnd() && (SendMessageW(cmdPopup.hWnd(), BM_GETSTATE, 0, 0) & BST_PUSHED))
        combo.state |= STATE_SYSTEM_PRESSED;
    combo.defaultAction = open ? L"Close" : L"Open";
    return combo;
}

HRESULT ColorSelector::DoDefaultAction(long child) {
    return child == CHILDID_SELF ? cmdPopup_Click() : DISP_E_MEMBERNOTFOUND;
}

// Row entry - 1, a band across the list.
AccessibleElement ColorSelector::ListEntry(long entry) const {
    const size_t row = static_cast<size_t>(entry - 1);
    const double band = std::floor(picPopup.ScaleHeight() / 16);
    AccessibleElement item;
    item.role = ROLE_SYSTEM_LISTITEM;
    item.name = color::kStandardColorNames[row];
    item.value = color::HexColor(color::kStandardColors[row]);
    item.defaultAction = L"Select";
    item.state = STATE_SYSTEM_SELECTABLE | (row == static_cast<size_t>(SelectedIndex) ? STATE_SYSTEM_SELECTED : 0);
    item.screen = {0, Screen::TwipsToPixelsY(Twips(double(row) * band)),
                   Screen::TwipsToPixelsX(Twips(picPopup.ScaleWidth())),
                   Screen::TwipsToPixelsY(Twips(double(row + 1) * band))};
    return item;
}

// A press in the middle of the row, as the mouse would make it.
void ColorSelector::ChooseListEntry(long entry) {
    const double row = (picPopup.ScaleHeight() / 16) * (double(entry) - 0.5);
    picPopup_MouseDown(1, 0, picPopup.ScaleWidth() / 2, float(row));
}
