#include "hyperlink.h"
#include "misc_status.h"

#include "about_box.h"
#include "services/app.h"
#include "link_cursor.h"
#include "services/platform.h"

#include <atomic>

namespace {
enum : DISPID { kClick = 1, kDblClick, kKeyDown, kKeyPress, kKeyUp, kMouseDown, kMouseMove, kMouseUp };

// One hand for every Hyperlink: made with the first, it outlives them all and goes when the module may
// unload.
std::atomic<HCURSOR> linkCursor{nullptr};

void ReleaseLinkCursor() {
    if (HCURSOR cursor = linkCursor.exchange(nullptr)) DestroyCursor(cursor);
}

HCURSOR LinkCursor() {
    if (HCURSOR cursor = linkCursor.load()) return cursor;
    CursorMasks masks = LinkCursorMasks();
    HCURSOR made =
        CreateCursor(Module::Instance(), CursorMasks::kHotSpotX, CursorMasks::kHotSpotY, CursorMasks::kSize,
                     CursorMasks::kSize, masks.andMask.data(), masks.xorMask.data());
    HCURSOR first = nullptr;
    if (!made || !linkCursor.compare_exchange_strong(first, made)) {
        if (made) DestroyCursor(made);
        return first;
    }
    Module::AddCache(&ReleaseLinkCursor);
    return made;
}
} // namespace

HRESULT CreateHyperlink(REFIID iid, void** object) { return CreateControl<Hyperlink>(iid, object); }

Hyperlink::Hyperlink()
    : UserControl(ClassOf(CLSID_Hyperlink, DIID___Hyperlink, kCommonStatus, 1890, 240), this) {
    Label1.SetCaption(L"Label1");
    Label1.Move(0, 0, 1860, 195);
    Label1.SetBackStyle(0);
    Label1.SetAlignment(0);
    Label1.SetBorderStyle(0);
    Label1.SetMouseIcon(LinkCursor());
    Label1.SetMousePointer(99);
    Label1.Click = [this] { Label1_Click(); };
    Label1.DblClick = [this] { Label1_DblClick(); };
    Label1.MouseDown = [this](short b, short s, float x, float y) { Label1_MouseDown(b, s, x, y); };
    Label1.MouseMove = [this](short b, short s, float x, float y) { Label1_MouseMove(b, s, x, y); };
    Label1.MouseUp = [this](short b, short s, float x, float y) { Label1_MouseUp(b, s, x, y); };

    lblURL.SetCaption(L"Label2");
    lblURL.Move(3870, 45, 600, 240);
    lblURL.SetVisible(false);
}

// ---------------------------------------------------------------- properties

STDMETHODIMP Hyperlink::AboutBox() { return ShowAboutBox(); }

STDMETHODIMP Hyperlink::get_BackColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = BackColor();
    return S_OK;
}

STDMETHODIMP Hyperlink::put_BackColor(OLE_COLOR New_BackColor) {
    SetBackColor(New_BackColor);
    PropertyChanged(L"BackColor");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_ForeColor(OLE_COLOR* value) {
    if (!value) return E_POINTER;
    *value = Label1.ForeColor();
    return S_OK;
}

STDMETHODIMP Hyperlink::put_ForeColor(OLE_COLOR New_ForeColor) {
    Label1.SetForeColor(New_ForeColor);
    PropertyChanged(L"ForeColor");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_Enabled(VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = Enabled() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Hyperlink::put_Enabled(VARIANT_BOOL New_Enabled) {
    SetEnabled(New_Enabled != VARIANT_FALSE);
    PropertyChanged(L"Enabled");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_Font(IFontDisp** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    ComPtr<IFont> font = Label1.Font();
    return font ? font->QueryInterface(IID_PPV_ARGS(value)) : S_OK;
}

STDMETHODIMP Hyperlink::putref_Font(IFontDisp* New_Font) {
    if (!New_Font) return Error(CTL_E_INVALIDPROPERTYVALUE, L"A font object is required.");
    ComPtr<IFont> font;
    RETURN_IF_FAILED(New_Font->QueryInterface(IID_PPV_ARGS(&font)));
    RETURN_IF_FAILED(Label1.SetFont(font));
    PropertyChanged(L"Font");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_BackStyle(short* value) {
    if (!value) return E_POINTER;
    *value = UserControl::BackStyle();
    return S_OK;
}

STDMETHODIMP Hyperlink::put_BackStyle(short New_BackStyle) {
    RETURN_IF_FAILED(SetBackStyle(New_BackStyle));
    PropertyChanged(L"BackStyle");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_BorderStyle(short* value) {
    if (!value) return E_POINTER;
    *value = Label1.BorderStyle();
    return S_OK;
}

STDMETHODIMP Hyperlink::put_BorderStyle(short New_BorderStyle) {
    RETURN_IF_FAILED(Label1.SetBorderStyle(New_BorderStyle));
    PropertyChanged(L"BorderStyle");
    return S_OK;
}

STDMETHODIMP Hyperlink::Refresh() {
    UserControl::Refresh();
    return S_OK;
}

STDMETHODIMP Hyperlink::get_Hyperlink(BSTR* value) { return CopyText(lblURL.Caption(), value); }

STDMETHODIMP Hyperlink::put_Hyperlink(BSTR New_Hyperlink) {
    lblURL.SetCaption(TextOf(New_Hyperlink));
    PropertyChanged(L"Hyperlink");
    return S_OK;
}

STDMETHODIMP Hyperlink::get_Caption(BSTR* value) { return CopyText(Label1.Caption(), value); }

STDMETHODIMP Hyperlink::put_Caption(BSTR New_Caption) {
    Label1.SetCaption(TextOf(New_Caption));
    PropertyChanged(L"Caption");
    return S_OK;
}

// ---------------------------------------------------------------- persistence and layout

HRESULT Hyperlink::ReadProperties(PropertyBag& bag) {
    OleColor backColor, foreColor;
    bool enabled;
    short backStyle, borderStyle;
    std::wstring hyperlink, caption;
    ComPtr<IFont> font;
    RETURN_IF_FAILED(bag.Read(L"BackColor", OleColor{0x8000000F}, backColor));
    SetBackColor(backColor);
    RETURN_IF_FAILED(bag.Read(L"ForeColor", OleColor{0x80000012}, foreColor));
    Label1.SetForeColor(foreColor);
    RETURN_IF_FAILED(bag.Read(L"Enabled", true, enabled));
    SetEnabled(enabled);
    RETURN_IF_FAILED(bag.Read(L"Font", CloneFont(Ambient().Font.Get()).Get(), font));
    ComPtr<IFontDisp> fontDisp;
    if (font) RETURN_IF_FAILED(font.As(&fontDisp));
    RETURN_IF_FAILED(putref_Font(fontDisp.Get()));
    RETURN_IF_FAILED(bag.Read(L"BackStyle", short{1}, backStyle));
    RETURN_IF_FAILED(SetBackStyle(backStyle));
    RETURN_IF_FAILED(bag.Read(L"BorderStyle", short{0}, borderStyle));
    RETURN_IF_FAILED(Label1.SetBorderStyle(borderStyle));
    RETURN_IF_FAILED(bag.Read(L"Hyperlink", L"Label2", hyperlink));
    lblURL.SetCaption(hyperlink);
    RETURN_IF_FAILED(bag.Read(L"Caption", L"Label1", caption));
    Label1.SetCaption(caption);
    return S_OK;
}

HRESULT Hyperlink::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(bag.Write(L"BackColor", BackColor(), OleColor{0x8000000F}));
    RETURN_IF_FAILED(bag.Write(L"ForeColor", Label1.ForeColor(), OleColor{0x80000012}));
    RETURN_IF_FAILED(bag.Write(L"Enabled", Enabled(), true));
    RETURN_IF_FAILED(bag.Write(L"Font", Label1.Font().Get(), Ambient().Font.Get()));
    RETURN_IF_FAILED(bag.Write(L"BackStyle", UserControl::BackStyle(), short{1}));
    RETURN_IF_FAILED(bag.Write(L"BorderStyle", Label1.BorderStyle(), short{0}));
    RETURN_IF_FAILED(bag.Write(L"Hyperlink", lblURL.Caption(), L"Label2"));
    return bag.Write(L"Caption", Label1.Caption(), L"Label1");
}

// The label covers the whole control, so every point of it shows the hand and opens the address.
void Hyperlink::Resize() { Label1.Move(0, 0, Width(), Height()); }

// ---------------------------------------------------------------- events

// The host gets copies: what it does to them changes nothing here.
void Hyperlink::KeyDown(short& keyCode, short shift) {
    short code = keyCode;
    RaiseEvent(kKeyDown, code, shift);
}
void Hyperlink::KeyPress(short& keyAscii) {
    short ascii = keyAscii;
    RaiseEvent(kKeyPress, ascii);
}
void Hyperlink::KeyUp(short& keyCode, short shift) {
    short code = keyCode;
    RaiseEvent(kKeyUp, code, shift);
}

// ---------------------------------------------------------------- what a screen reader reads

AccessibleElement Hyperlink::Describe(long child) const {
    AccessibleElement link = UserControl::Describe(child);
    link.role = ROLE_SYSTEM_LINK;
    link.name = Label1.UseMnemonic() ? WithoutAccessKeys(Label1.Caption()) : Label1.Caption();
    link.value = lblURL.Caption();
    link.state |= STATE_SYSTEM_LINKED;
    link.defaultAction = L"Jump";
    return link;
}

HRESULT Hyperlink::DoDefaultAction(long) {
    ComPtr<IUnknown> keepAlive(Identity());
    Label1_Click();
    return S_OK;
}

void Hyperlink::Label1_Click() {
    RaiseEvent(kClick);
    // Whatever the shell makes of the address, the control stays as it was: the result is not looked at.
    (void)CurrentPlatform().ShellExecute(hWnd(), L"Open", lblURL.Caption().c_str(), L"", App::Path().c_str(),
                                         SW_SHOWNORMAL);
}

void Hyperlink::Label1_DblClick() { RaiseEvent(kDblClick); }

void Hyperlink::Label1_MouseDown(short button, short shift, float x, float y) {
    RaiseEvent(kMouseDown, button, shift, x, y);
}
void Hyperlink::Label1_MouseMove(short button, short shift, float x, float y) {
    RaiseEvent(kMouseMove, button, shift, x, y);
}
void Hyperlink::Label1_MouseUp(short button, short shift, float x, float y) {
    RaiseEvent(kMouseUp, button, shift, x, y);
}
