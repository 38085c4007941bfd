#include "label3d.h"
#include "misc_status.h"

#include "services/font.h"
#include "label3d_layout.h"

#include <climits>

namespace {
enum : DISPID { kClick = 1, kDblClick, kMouseDown, kMouseMove, kMouseUp };
constexpr OleColor kDefaultBackColor = 0x8000000F;
constexpr OleColor kDefaultForeColor1 = 0x00000000;
constexpr OleColor kDefaultForeColor2 = 0x00FFFFFF;
constexpr wchar_t kDefaultCaption[] = L"Label3D";

Variant Byte(unsigned char value) {
    Variant v;
    v.put()->vt = VT_UI1;
    v.get()->bVal = value;
    return v;
}
} // namespace

HRESULT CreateLabel3D(REFIID iid, void** object) { return CreateControl<Label3D>(iid, object); }

Label3D::Label3D() : UserControl(ClassOf(CLSID_Label3D, DIID___Label3D, kCommonStatus, 930, 690), this) {
    FontSpec design{L"Tahoma", 9.75f, true};
    for (Label* label : {&Label1, &Label2}) {
        label->SetCaption(kDefaultCaption);
        label->SetFont(MakeFont(design));
        label->SetBackStyle(0);
    }
    Label1.SetForeColor(0x8000000E);
    // The front label is drawn over the back one and is the one the mouse finds.
    Label2.ZOrder(0);
    Label2.Click = [this] { Label2_Click(); };
    Label2.DblClick = [this] { Label2_DblClick(); };
    Label2.MouseDown = [this](short b, short s, float x, float y) { Label2_MouseDown(b, s, x, y); };
    Label2.MouseMove = [this](short b, short s, float x, float y) { Label2_MouseMove(b, s, x, y); };
    Label2.MouseUp = [this](short b, short s, float x, float y) { Label2_MouseUp(b, s, x, y); };
}

// ---------------------------------------------------------------- properties

STDMETHODIMP Label3D::get_Enabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = Label1.Enabled() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Label3D::put_Enabled(VARIANT_BOOL New_Enabled) {
    Label1.SetEnabled(New_Enabled != VARIANT_FALSE);
    Label2.SetEnabled(New_Enabled != VARIANT_FALSE);
    PropertyChanged(L"Enabled");
    return S_OK;
}

STDMETHODIMP Label3D::get_Font(IFontDisp** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    ComPtr<IFont> font = Label1.Font();
    return font ? font->QueryInterface(IID_PPV_ARGS(value)) : S_OK;
}

STDMETHODIMP Label3D::putref_Font(IFontDisp* New_Font) {
    if (!New_Font) return Error(CTL_E_INVALIDPROPERTYVALUE, L"A font object is required.");
    ComPtr<IFont> font;
    RETURN_IF_FAILED(New_Font->QueryInterface(IID_PPV_ARGS(&font)));
    RETURN_IF_FAILED(Label1.SetFont(font));
    RETURN_IF_FAILED(Label2.SetFont(font));
    PropertyChanged(L"Font");
    return S_OK;
}

STDMETHODIMP Label3D::Refresh() {
    UserControl::Refresh();
    return S_OK;
}

STDMETHODIMP Label3D::get_ForeColor1(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = Label1.ForeColor();
    return S_OK;
}

STDMETHODIMP Label3D::put_ForeColor1(OLE_COLOR New_ForeColor1) {
    Label1.SetForeColor(New_ForeColor1);
    PropertyChanged(L"ForeColor1");
    return S_OK;
}

STDMETHODIMP Label3D::get_ForeColor2(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = Label2.ForeColor();
    return S_OK;
}

STDMETHODIMP Label3D::put_ForeColor2(OLE_COLOR New_ForeColor2) {
    Label2.SetForeColor(New_ForeColor2);
    PropertyChanged(L"ForeColor2");
    return S_OK;
}

STDMETHODIMP Label3D::get_Caption(BSTR* value) { return CopyText(Label1.Caption(), value); }

STDMETHODIMP Label3D::put_Caption(BSTR New_Caption) {
    Label1.SetCaption(TextOf(New_Caption));
    Label2.SetCaption(TextOf(New_Caption));
    PropertyChanged(L"Caption");
    return S_OK;
}

STDMETHODIMP Label3D::get_Alignment(T_Align* value) {
    if (!value) return E_POINTER;
    *value = static_cast<T_Align>(Label1.Alignment());
    return S_OK;
}

STDMETHODIMP Label3D::put_Alignment(T_Align New_Alignment) {
    if (New_Alignment < SHRT_MIN || New_Alignment > SHRT_MAX) return Error(CTL_E_OVERFLOW, L"Overflow.");
    RETURN_IF_FAILED(Label1.SetAlignment(static_cast<short>(New_Alignment)));
    RETURN_IF_FAILED(Label2.SetAlignment(static_cast<short>(New_Alignment)));
    PropertyChanged(L"Alignment");
    return S_OK;
}

STDMETHODIMP Label3D::get_Phase(T_Phase* value) {
    if (!value) return E_POINTER;
    *value = static_cast<T_Phase>(Phase);
    return S_OK;
}

STDMETHODIMP Label3D::put_Phase(T_Phase New_Phase) {
    // Any byte is kept, even one no arrangement knows; beyond a byte nothing changes.
    if (New_Phase < 0 || New_Phase > 255) return Error(CTL_E_OVERFLOW, L"Overflow.");
    Phase = static_cast<unsigned char>(New_Phase);
    RETURN_IF_FAILED(Layout());
    PropertyChanged(L"Phase");
    return S_OK;
}

STDMETHODIMP Label3D::get_BackColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = BackColor();
    return S_OK;
}

STDMETHODIMP Label3D::put_BackColor(OLE_COLOR New_BackColor) {
    SetBackColor(New_BackColor);
    PropertyChanged(L"BackColor");
    return S_OK;
}

STDMETHODIMP Label3D::get_BorderStyle(T_BorderStyle* value) {
    if (!value) return E_POINTER;
    *value = static_cast<T_BorderStyle>(Label2.BorderStyle());
    return S_OK;
}

STDMETHODIMP Label3D::put_BorderStyle(T_BorderStyle New_BorderStyle) {
    if (New_BorderStyle < SHRT_MIN || New_BorderStyle > SHRT_MAX) return Error(CTL_E_OVERFLOW, L"Overflow.");
    RETURN_IF_FAILED(Label2.SetBorderStyle(static_cast<short>(New_BorderStyle)));
    PropertyChanged(L"BorderStyle");
    return S_OK;
}

// ---------------------------------------------------------------- life cycle and layout

void Label3D::Initialize() { (void)Layout(); } // nothing to report to yet

// Both labels take one font object, so that a change made through Font shows on both.
HRESULT Label3D::InitProperties() {
    Phase = 0;
    // A copy: the container's own font object stays the container's.
    ComPtr<IFont> font = CloneFont(Ambient().Font.Get());
    RETURN_IF_FAILED(Label1.SetFont(font));
    return Label2.SetFont(font);
}

HRESULT Label3D::ReadProperties(PropertyBag& bag) {
    bool enabled;
    OleColor color;
    std::wstring caption;
    short number;
    ComPtr<IFont> font;
    RETURN_IF_FAILED(bag.Read(L"Enabled", true, enabled));
    Label1.SetEnabled(enabled);
    RETURN_IF_FAILED(bag.Read(L"Enabled", true, enabled));
    Label2.SetEnabled(enabled);
    RETURN_IF_FAILED(bag.Read(L"ForeColor1", kDefaultForeColor1, color));
    Label1.SetForeColor(color);
    RETURN_IF_FAILED(bag.Read(L"ForeColor2", kDefaultForeColor2, color));
    Label2.SetForeColor(color);
    RETURN_IF_FAILED(bag.Read(L"Caption", kDefaultCaption, caption));
    Label1.SetCaption(caption);
    RETURN_IF_FAILED(bag.Read(L"Caption", kDefaultCaption, caption));
    Label2.SetCaption(caption);
    RETURN_IF_FAILED(bag.Read(L"Alignment", short{0}, number));
    RETURN_IF_FAILED(Label1.SetAlignment(number));
    RETURN_IF_FAILED(bag.Read(L"Alignment", short{0}, number));
    RETURN_IF_FAILED(Label2.SetAlignment(number));
    RETURN_IF_FAILED(bag.Read(L"Font", CloneFont(Ambient().Font.Get()).Get(), font));
    RETURN_IF_FAILED(Label1.SetFont(font));
    // Read again as stored, but the front label takes the back label's object: two copies would part ways
    // at the first change made through Font.
    RETURN_IF_FAILED(bag.Read(L"Font", CloneFont(Ambient().Font.Get()).Get(), font));
    RETURN_IF_FAILED(Label2.SetFont(Label1.Font()));
    RETURN_IF_FAILED(bag.Read(L"BorderStyle", short{0}, number));
    RETURN_IF_FAILED(Label2.SetBorderStyle(number));
    Variant phase;
    RETURN_IF_FAILED(bag.ReadProperty(L"Phase", Byte(0), phase));
    Phase = phase.get()->bVal;
    RETURN_IF_FAILED(bag.Read(L"BackColor", kDefaultBackColor, color));
    SetBackColor(color);
    return Layout();
}

HRESULT Label3D::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(bag.Write(L"Enabled", Label1.Enabled(), true));
    RETURN_IF_FAILED(bag.Write(L"Font", Label1.Font().Get(), Ambient().Font.Get()));
    RETURN_IF_FAILED(bag.Write(L"ForeColor1", Label1.ForeColor(), kDefaultForeColor1));
    RETURN_IF_FAILED(bag.Write(L"ForeColor2", Label2.ForeColor(), kDefaultForeColor2));
    RETURN_IF_FAILED(bag.Write(L"Caption", Label1.Caption(), kDefaultCaption));
    RETURN_IF_FAILED(bag.Write(L"Alignment", Label1.Alignment(), short{0}));
    RETURN_IF_FAILED(bag.WriteProperty(L"Phase", Byte(Phase), Byte(0)));
    RETURN_IF_FAILED(bag.Write(L"BackColor", BackColor(), kDefaultBackColor));
    return bag.Write(L"BorderStyle", Label2.BorderStyle(), short{0});
}

void Label3D::Resize() { (void)Layout(); } // the runtime has nobody to hand a failed resize to

HRESULT Label3D::Layout() {
    // Growing the control runs this again from inside; the outer run then finds the size settled.
    if (Width() < label3d::kMinimumSize) RETURN_IF_FAILED(SetWidth(label3d::kMinimumSize));
    if (Height() < label3d::kMinimumSize) RETURN_IF_FAILED(SetHeight(label3d::kMinimumSize));
    RETURN_IF_FAILED(Label1.SetWidth(Width()));
    RETURN_IF_FAILED(Label1.SetHeight(Height()));
    RETURN_IF_FAILED(Label2.SetWidth(Width()));
    RETURN_IF_FAILED(Label2.SetHeight(Height()));
    const auto place = label3d::PlacementFor(Phase);
    if (!place) return S_OK;
    RETURN_IF_FAILED(Label1.SetLeft(place->backLeft));
    RETURN_IF_FAILED(Label1.SetTop(place->backTop));
    RETURN_IF_FAILED(Label2.SetLeft(place->frontLeft));
    return Label2.SetTop(place->frontTop);
}

// ---------------------------------------------------------------- events of the front label

void Label3D::Label2_Click() { RaiseEvent(kClick); }
void Label3D::Label2_DblClick() { RaiseEvent(kDblClick); }
void Label3D::Label2_MouseDown(short button, short shift, float x, float y) {
    RaiseEvent(kMouseDown, button, shift, x, y);
}
void Label3D::Label2_MouseMove(short button, short shift, float x, float y) {
    RaiseEvent(kMouseMove, button, shift, x, y);
}
void Label3D::Label2_MouseUp(short button, short shift, float x, float y) {
    RaiseEvent(kMouseUp, button, shift, x, y);
}

AccessibleElement Label3D::Describe(long child) const {
    AccessibleElement label = UserControl::Describe(child);
    label.role = ROLE_SYSTEM_STATICTEXT;
    label.name = Label1.UseMnemonic() ? WithoutAccessKeys(Label1.Caption()) : Label1.Caption();
    label.state |= STATE_SYSTEM_READONLY | (Label1.Enabled() ? 0 : STATE_SYSTEM_UNAVAILABLE);
    return label;
}
