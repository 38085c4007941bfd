// The control object: its life, its interfaces, its own properties, and what its container and extender
// tell it.
#include "control/user_control.h"

#include "services/himetric.h"
#include "services/screen.h"

#include <cstdlib>

UserControl::UserControl(const ClassIdentity& identity, IDispatch* dual)
    : clsid_(identity.clsid), defaultInterface_(identity.defaultInterface), dual_(dual),
      miscStatus_(identity.miscStatus), events_(*this, identity.events),
      propertyNotify_(*this, IID_IPropertyNotifySink) {
    Module::Lock();
    extent_ = {TwipsToHimetric(identity.designWidth), TwipsToHimetric(identity.designHeight)};
}

UserControl::~UserControl() {
    events_.DisconnectAll();
    propertyNotify_.DisconnectAll();
    inPlaceSite_.Reset();
    frame_.Reset();
    document_.Reset();
    site_.Reset();
    hwnd_.reset();
    Module::Unlock();
}

STDMETHODIMP_(ULONG) UserControl::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
        refs_ = 1; // a Terminate handler may hand itself around without ending up here twice
        Terminate();
        // From here on the window's messages find no control: the object is coming apart.
        if (hwnd_) SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
        DisconnectAccessible();
        delete this;
    }
    return static_cast<ULONG>(n);
}

STDMETHODIMP UserControl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown) *out = Identity();
    else if (iid == IID_IDispatch || iid == defaultInterface_)
        *out = dual_;
    else if (iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IOleInPlaceActiveObject) *out = static_cast<IOleInPlaceActiveObject*>(this);
    else if (iid == IID_IOleControl) *out = static_cast<IOleControl*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2) *out = static_cast<IViewObject2*>(this);
    else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
    else if (iid == IID_IPersistPropertyBag) *out = static_cast<IPersistPropertyBag*>(this);
    else if (iid == IID_IPersistStorage) *out = static_cast<IPersistStorage*>(this);
    else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) *out = static_cast<IProvideClassInfo2*>(this);
    else if (iid == IID_ISupportErrorInfo) *out = static_cast<ISupportErrorInfo*>(this);
    else if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

void UserControl::EnsureInitialized() {
    if (initialized_) return;
    initialized_ = true;
    (void)InitProperties(); // a script has nobody to report a failing default to
}

int UserControl::Width() const { return HimetricToTwips(extent_.cx); }

int UserControl::Height() const { return HimetricToTwips(extent_.cy); }

namespace {
// Pixels the border (the system's sunken edge) takes from the window's width and height.
SIZE BorderPixels(short borderStyle) {
    return {borderStyle ? 2 * GetSystemMetrics(SM_CXEDGE) : 0, borderStyle ? 2 * GetSystemMetrics(SM_CYEDGE) : 0};
}
} // namespace

int UserControl::ScaleWidth() const {
    return Width() - Screen::PixelsToTwipsX(BorderPixels(borderStyle_).cx);
}

int UserControl::ScaleHeight() const {
    return Height() - Screen::PixelsToTwipsY(BorderPixels(borderStyle_).cy);
}

short UserControl::BorderStyle() const {
    return borderStyle_;
}

HRESULT UserControl::SetBorderStyle(short style) {
    if (style != 0 && style != 1) return CTL_E_INVALIDPROPERTYVALUE;
    borderStyle_ = style;
    if (!hwnd_) return S_OK;
    LONG ex = GetWindowLongW(hWnd(), GWL_EXSTYLE);
    SetWindowLongW(hWnd(), GWL_EXSTYLE, style ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE));
    // The frame changes inside the same extent, so the inner area does and the layout runs again.
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return S_OK;
}

void UserControl::SetBackColor(OleColor color) {
    backColor_ = color;
    Refresh();
}

void UserControl::SetForeColor(OleColor color) {
    foreColor_ = color;
    Refresh();
}

void UserControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (hwnd_) EnableWindow(hwnd_.get(), enabled);
}

HRESULT UserControl::SetBackStyle(short style) {
    if (style != 0 && style != 1) return CTL_E_INVALIDPROPERTYVALUE;
    backStyle_ = style;
    Refresh();
    return S_OK;
}

HRESULT UserControl::Ambient(DISPID id, Variant& value) const {
    ComPtr<IDispatch> ambient;
    if (!site_ || FAILED(site_.As(&ambient))) return E_NOINTERFACE;
    DISPPARAMS none{};
    return ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(), nullptr,
                           nullptr);
}

UserControl::AmbientProperties UserControl::Ambient() const {
    AmbientProperties ambient;
    Variant value, mode;
    if (SUCCEEDED(Ambient(DISPID_AMBIENT_USERMODE, value)) && SUCCEEDED(value.As(VT_BOOL, mode)))
        ambient.UserMode = mode.get()->boolVal != VARIANT_FALSE;
    if (SUCCEEDED(Ambient(DISPID_AMBIENT_FONT, value)) && (value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN) &&
        value.get()->punkVal)
        value.get()->punkVal->QueryInterface(IID_PPV_ARGS(&ambient.Font));
    if (!ambient.Font) {
        // No container font: the system's own, as a fresh object the control may keep.
        LOGFONTW lf{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        FONTDESC desc{sizeof(FONTDESC), lf.lfFaceName, {}, static_cast<SHORT>(lf.lfWeight), lf.lfCharSet,
                      lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut};
        desc.cySize.int64 = static_cast<LONGLONG>(MulDiv(std::abs(lf.lfHeight), 72, Screen::DpiY())) * 10000;
        OleCreateFontIndirect(&desc, IID_PPV_ARGS(&ambient.Font));
    }
    return ambient;
}

HRESULT UserControl::ExtenderMember(const wchar_t* name, ComPtr<IDispatch>& extender, DISPID& id) const {
    ComPtr<IOleControlSite> controlSite;
    if (!site_) return E_UNEXPECTED;
    RETURN_IF_FAILED(site_.As(&controlSite));
    RETURN_IF_FAILED(controlSite->GetExtendedControl(&extender));
    RETURN_HR_IF_NULL(E_NOINTERFACE, extender);
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return extender->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

HRESULT UserControl::Extender(const wchar_t* name, Variant& value) const {
    ComPtr<IDispatch> extender;
    DISPID id;
    RETURN_IF_FAILED(ExtenderMember(name, extender, id));
    DISPPARAMS none{};
    return extender->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.put(), nullptr,
                            nullptr);
}

HRESULT UserControl::SetExtender(const wchar_t* name, const Variant& value) {
    ComPtr<IDispatch> extender;
    DISPID id;
    RETURN_IF_FAILED(ExtenderMember(name, extender, id));
    Variant arg = value;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg.get(), &put, 1, 1};
    return extender->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                            nullptr);
}

void UserControl::ApplyExtent() {
    if (!hwnd_) { // no window to size yet: the layout follows the extent at once
        ComPtr<IUnknown> keepAlive(Identity());
        Resize();
        return;
    }
    int w = HimetricToPixels(extent_.cx, Screen::DpiX()), h = HimetricToPixels(extent_.cy, Screen::DpiY());
    RECT r;
    GetWindowRect(hWnd(), &r);
    if (r.right - r.left != w || r.bottom - r.top != h)
        SetWindowPos(hWnd(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HRESULT UserControl::SetWidth(int width) {
    if (width < 0) return CTL_E_INVALIDPROPERTYVALUE;
    return ChangeExtent({TwipsToHimetric(width), extent_.cy});
}

HRESULT UserControl::SetHeight(int height) {
    if (height < 0) return CTL_E_INVALIDPROPERTYVALUE;
    return ChangeExtent({extent_.cx, TwipsToHimetric(height)});
}

// An active control asks its container for the new rectangle, and the container sizes the window; a
// parked one, or one whose container did not, is sized here. Either way WM_SIZE runs Resize.
HRESULT UserControl::ChangeExtent(SIZEL extent) {
    ComPtr<IUnknown> keepAlive(Identity());
    extent_ = extent;
    if (inPlaceSite_) {
        RECT r;
        GetWindowRect(hWnd(), &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(hWnd()), reinterpret_cast<POINT*>(&r), 2);
        r.right = r.left + HimetricToPixels(extent.cx, Screen::DpiX());
        r.bottom = r.top + HimetricToPixels(extent.cy, Screen::DpiY());
        inPlaceSite_->OnPosRectChange(&r);
    }
    ApplyExtent();
    return S_OK;
}

HRESULT UserControl::DualTypeInfo(UINT index, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return Module::TypeInfo(defaultInterface_, info);
}

HRESULT UserControl::DualIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(Module::TypeInfo(defaultInterface_, &info));
    return info->GetIDsOfNames(names, count, ids);
}

HRESULT UserControl::DualInvoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(Module::TypeInfo(defaultInterface_, &info));
    EnsureInitialized();
    ComPtr<IUnknown> keepAlive(Identity());
    SetErrorInfo(0, nullptr);
    return InvokeTyped(info.Get(), dual_, id, flags, params, result, exception, argError);
}

STDMETHODIMP UserControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return Module::TypeInfo(clsid_, info);
}

STDMETHODIMP UserControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = events_.iid();
    return S_OK;
}

STDMETHODIMP UserControl::InterfaceSupportsErrorInfo(REFIID iid) {
    return iid == defaultInterface_ ? S_OK : S_FALSE;
}
