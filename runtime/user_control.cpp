#include "user_control.h"

#include "screen.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

constexpr wchar_t kControlClass[] = L"UserControlWindow";
constexpr wchar_t kParkingClass[] = L"UserControlParking";
// Focus moves are settled only after both windows saw them; the check runs from the queue.
constexpr UINT kCheckFocus = WM_APP + 0x71;

std::atomic<bool> classesRegistered{false};
thread_local HWND parking = nullptr;

// The window classes and the thread's parking window stay between controls (each costs about as much as a
// window of its own); the module lets them go when it may be unloaded.
void ReleaseWindows() {
    if (parking) DestroyWindow(std::exchange(parking, nullptr));
    if (classesRegistered.exchange(false)) {
        UnregisterClassW(kControlClass, Module::Instance());
        UnregisterClassW(kParkingClass, Module::Instance());
    }
}

bool AcquireWindows(WNDPROC proc) {
    if (!classesRegistered.exchange(true)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = Module::Instance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kControlClass;
        RegisterClassExW(&wc);
        wc.style = 0;
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = kParkingClass;
        RegisterClassExW(&wc);
        Module::AddCache(&ReleaseWindows);
    }
    if (!parking)
        parking = CreateWindowExW(WS_EX_TOOLWINDOW, kParkingClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  Module::Instance(), nullptr);
    return parking != nullptr;
}

LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, 2540); }
LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, 2540, dpi); }
LONG TwipsToHimetric(LONG twips) { return MulDiv(twips, 2540, 1440); }
LONG HimetricToTwips(LONG himetric) { return MulDiv(himetric, 1440, 2540); }

// A system key message says itself whether Alt is down (its context bit); the keyboard state may lag it.
short ShiftState(LPARAM keyData) {
    const bool alt = GetKeyState(VK_MENU) < 0 || (keyData & (1 << 29));
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (alt ? 4 : 0));
}

BOOL CALLBACK FindTabStop(HWND child, LPARAM found) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// Prints a window and its visible children into dc, each at its place, bottom of the z-order first.
void PrintTree(HWND hwnd, HDC dc) {
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    for (HWND child = GetWindow(GetWindow(hwnd, GW_CHILD), GW_HWNDLAST); child; child = GetWindow(child, GW_HWNDPREV)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        POINT old;
        OffsetViewportOrgEx(dc, r.left, r.top, &old);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_ERASEBKGND);
        PrintTree(child, dc);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
    }
}

} // namespace

UserControl::UserControl(const ClassIdentity& identity, IDispatch* dual)
    : clsid_(identity.clsid), defaultInterface_(identity.defaultInterface), dual_(dual),
      miscStatus_(identity.miscStatus), events_(*this, identity.events),
      propertyNotify_(*this, IID_IPropertyNotifySink) {
    Module::Lock();
    extent_ = {TwipsToHimetric(identity.designWidth), TwipsToHimetric(identity.designHeight)};
}

// Made where it is first needed: in the container that activates the control, or parked for a client
// that needs it sooner (a script, a control that draws on it before activation).
HWND UserControl::MakeWindow(HWND parent, const RECT* place) const {
    if (hwnd_ || !AcquireWindows(&UserControl::WindowProc)) return hwnd_.get();
    const int width = HimetricToPixels(extent_.cx, Screen::DpiX()), height = HimetricToPixels(extent_.cy, Screen::DpiY());
    const RECT at = place ? *place : RECT{0, 0, width, height};
    hwnd_.reset(CreateWindowExW(WS_EX_CONTROLPARENT | (borderStyle_ ? WS_EX_CLIENTEDGE : 0), kControlClass, L"",
                                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP |
                                    (enabled_ ? 0 : WS_DISABLED) | (parent ? WS_VISIBLE : 0),
                                at.left, at.top, at.right - at.left, at.bottom - at.top, parent ? parent : parking,
                                nullptr, Module::Instance(), nullptr));
    auto* self = const_cast<UserControl*>(this);
    if (hwnd_ && attached_) {
        self->ConnectWindow();
        // Its first size reached no control: the layout and the extent follow it now.
        if (at.right - at.left != width || at.bottom - at.top != height) SendMessageW(hwnd_.get(), WM_SIZE, 0, 0);
    }
    self->WindowMade();
    return hwnd_.get();
}

// The window reaches the control only once the control is whole: a message during construction would
// find the object half made.
void UserControl::AttachWindow() {
    attached_ = true;
    if (hwnd_) ConnectWindow();
}

void UserControl::ConnectWindow() {
    SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    BindAccessibleWindow(hwnd_.get()); // child windows that are part of the face may answer with the control
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

// ---------------------------------------------------------------- properties of the control itself

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

void UserControl::Refresh() {
    if (hwnd_) RedrawWindow(hwnd_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

void UserControl::PropertyChanged(const wchar_t* name) {
    dirty_ = true;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DualIDsOfNames(names, 1, &id);
    propertyNotify_.ForEachSink([&](IUnknown* sink) {
        ComPtr<IPropertyNotifySink> notify;
        if (SUCCEEDED(sink->QueryInterface(IID_PPV_ARGS(&notify)))) notify->OnChanged(id);
    });
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

// ---------------------------------------------------------------- events

VARIANTARG UserControl::ByRef(short& v) {
    VARIANTARG a{};
    a.vt = VT_I2 | VT_BYREF;
    a.piVal = &v;
    return a;
}
VARIANTARG UserControl::ByRef(long& v) {
    VARIANTARG a{};
    a.vt = VT_I4 | VT_BYREF;
    a.plVal = &v;
    return a;
}
VARIANTARG UserControl::ByRef(float& v) {
    VARIANTARG a{};
    a.vt = VT_R4 | VT_BYREF;
    a.pfltVal = &v;
    return a;
}
VARIANTARG UserControl::ByRef(OLE_COLOR& v) {
    VARIANTARG a{};
    a.vt = VT_UI4 | VT_BYREF;
    a.pulVal = reinterpret_cast<ULONG*>(&v);
    return a;
}
VARIANTARG UserControl::ByRef(BSTR& v) {
    VARIANTARG a{};
    a.vt = VT_BSTR | VT_BYREF;
    a.pbstrVal = &v;
    return a;
}
VARIANTARG UserControl::ByRef(IDispatch*& v) {
    VARIANTARG a{};
    a.vt = VT_DISPATCH | VT_BYREF;
    a.ppdispVal = &v;
    return a;
}
HRESULT UserControl::RaiseEventArgs(DISPID id, VARIANTARG* args, UINT count) {
    if (frozenEvents_ > 0) return S_OK;
    ComPtr<IUnknown> keepAlive(Identity());
    std::reverse(args, args + count); // DISPPARAMS lists the arguments last to first
    DISPPARAMS params{count ? args : nullptr, nullptr, count, 0};
    events_.ForEachSink([&](IUnknown* sink) {
        ComPtr<IDispatch> dispatch;
        if (SUCCEEDED(sink->QueryInterface(IID_PPV_ARGS(&dispatch))))
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
    return S_OK;
}

// ---------------------------------------------------------------- the window

LRESULT CALLBACK UserControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* control = reinterpret_cast<UserControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    try {
        return control->HandleMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT UserControl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteWindowlessMouse(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintTo(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintTo(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted with the rest in WM_PAINT
    case WM_SIZE: {
        int dpiX = Screen::DpiX(), dpiY = Screen::DpiY();
        // The extent includes the border, so it is the window's size rather than the client's.
        RECT window;
        GetWindowRect(hwnd, &window);
        LONG w = window.right - window.left, h = window.bottom - window.top;
        // Keep the exact extent a container gave while the pixels agree with it.
        if (HimetricToPixels(extent_.cx, dpiX) != w) extent_.cx = PixelsToHimetric(w, dpiX);
        if (HimetricToPixels(extent_.cy, dpiY) != h) extent_.cy = PixelsToHimetric(h, dpiY);
        ComPtr<IUnknown> keepAlive(Identity());
        Resize();
        return 0;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE:
        MouseEvent(message, wParam, lParam);
        return 0;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CHAR:
        if (KeyEvent(message, wParam, lParam)) return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: case WM_KILLFOCUS:
        PostMessageW(hwnd, kCheckFocus, 0, 0);
        break;
    case kCheckFocus:
        UpdateFocus();
        return 0;
    case WM_MOUSEACTIVATE:
        if (inPlaceActive_ && !uiActive_) UIActivate();
        break;
    case WM_GETOBJECT:
        if (AnswerGetObject(hwnd, wParam, lParam, *this, result)) return result;
        break;
    case WM_COMMAND: case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void UserControl::PaintTo(HDC dc) {
    if (backStyle_ == 1) {
        RECT r;
        GetClientRect(hWnd(), &r);
        HBRUSH brush = CreateSolidBrush(ResolveColor(backColor_));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    } else {
        PaintParentBackground(hWnd(), dc);
    }
    ComPtr<IUnknown> keepAlive(Identity());
    paintDc_ = dc;
    Paint();
    paintDc_ = nullptr;
    PaintWindowless(dc);
}

void UserControl::MouseEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!enabled_) return;
    ComPtr<IUnknown> keepAlive(Identity());
    short shift = static_cast<short>(((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? 4 : 0));
    float x = static_cast<short>(LOWORD(lParam)) * Screen::TwipsPerPixelX();
    float y = static_cast<short>(HIWORD(lParam)) * Screen::TwipsPerPixelY();
    switch (message) {
    case WM_LBUTTONDOWN:
        mouseDownInside_ = true;
        SetCapture(hWnd());
        MouseDown(1, shift, x, y);
        break;
    case WM_RBUTTONDOWN: MouseDown(2, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(4, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
        SetCapture(hWnd());
        DblClick();
        break;
    case WM_LBUTTONUP: {
        if (GetCapture() == hWnd()) ReleaseCapture();
        MouseUp(1, shift, x, y);
        RECT r;
        GetClientRect(hWnd(), &r);
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (mouseDownInside_ && PtInRect(&r, p)) Click();
        mouseDownInside_ = false;
        break;
    }
    case WM_RBUTTONUP: MouseUp(2, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(4, shift, x, y); break;
    case WM_MOUSEMOVE: {
        short button = static_cast<short>(((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) |
                                          ((wParam & MK_MBUTTON) ? 4 : 0));
        MouseMove(button, shift, x, y);
        break;
    }
    }
}

bool UserControl::KeyEvent(UINT message, WPARAM& wParam, LPARAM lParam) {
    if (!enabled_) return true;
    ComPtr<IUnknown> keepAlive(Identity());
    short key = static_cast<short>(wParam);
    switch (message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: KeyDown(key, ShiftState(lParam)); break;
    case WM_KEYUP: case WM_SYSKEYUP: KeyUp(key, ShiftState(lParam)); break;
    case WM_CHAR: KeyPress(key); break;
    }
    if (key == 0) return true;
    wParam = static_cast<WPARAM>(static_cast<unsigned short>(key));
    return false;
}

bool UserControl::PreviewKey(Control&, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!KeyPreview) return false;
    return KeyEvent(message, wParam, lParam);
}

void UserControl::ChildFocus(Control&, bool) { PostMessageW(hWnd(), kCheckFocus, 0, 0); }

void UserControl::UpdateFocus() {
    HWND focus = GetFocus();
    bool inside = focus && (focus == hWnd() || IsChild(hWnd(), focus));
    if (inside == hasFocus_) return;
    hasFocus_ = inside;
    ComPtr<IUnknown> keepAlive(Identity());
    if (inside && inPlaceActive_ && !uiActive_) UIActivate();
    ComPtr<IOleControlSite> controlSite;
    if (site_ && SUCCEEDED(site_.As(&controlSite))) controlSite->OnFocus(inside);
    inside ? EnterFocus() : ExitFocus();
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

// ---------------------------------------------------------------- IOleObject

STDMETHODIMP UserControl::SetClientSite(IOleClientSite* site) {
    if (!site && inPlaceActive_) InPlaceDeactivate();
    site_ = site;
    return S_OK;
}

STDMETHODIMP UserControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    return site_.CopyTo(site);
}

// A container that never deactivates (and then destroys its own window) still gets the control's window back.
STDMETHODIMP UserControl::Close(DWORD saveOption) {
    if (saveOption == OLECLOSE_SAVEIFDIRTY && dirty_ && site_) site_->SaveObject();
    UIDeactivate();
    DropWindow();
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP UserControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP UserControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP UserControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT pos) {
    return NoThrow([&] {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(true, site, parent, pos);
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(false, site, parent, pos);
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (hwnd_) ShowWindow(hwnd_.get(), SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT UserControl::ActivateInPlace(bool uiActivate, IOleClientSite* site, HWND parent, LPCRECT pos) {
    EnsureInitialized();
    ComPtr<IUnknown> keepAlive(Identity());
    if (!site) site = site_.Get();
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSite> inPlaceSite;
        RECT posRect = pos ? *pos : RECT{};
        if (site && SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&inPlaceSite)))) {
            if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
            RETURN_IF_FAILED(inPlaceSite->OnInPlaceActivate());
            RETURN_IF_FAILED(inPlaceSite->GetWindow(&parent));
            RECT clipRect;
            OLEINPLACEFRAMEINFO info{};
            info.cb = sizeof info;
            frame_.Reset();
            document_.Reset();
            HRESULT hr = inPlaceSite->GetWindowContext(&frame_, &document_, &posRect, &clipRect, &info);
            if (FAILED(hr)) {
                inPlaceSite->OnInPlaceDeactivate();
                return hr;
            }
            inPlaceSite_ = inPlaceSite;
        } else if (!parent) {
            return E_INVALIDARG;
        }
        // Made here, the window is made at its place and shown: nothing to move or show afterwards.
        const bool placed = inPlaceSite_ || pos;
        const bool madeHere = !hwnd_ && MakeWindow(parent, placed ? &posRect : nullptr);
        // A control with children that take the focus is tabbed into, not onto.
        bool childStops = false;
        EnumChildWindows(hWnd(), FindTabStop, reinterpret_cast<LPARAM>(&childStops));
        // One that is never UI-activated is no tab stop at all.
        const bool ownStop = !childStops && !(miscStatus_ & OLEMISC_NOUIACTIVATE);
        const LONG style = GetWindowLongW(hWnd(), GWL_STYLE), ex = GetWindowLongW(hWnd(), GWL_EXSTYLE);
        const LONG newStyle = ownStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        const LONG newEx = childStops ? (ex | WS_EX_CONTROLPARENT) : (ex & ~WS_EX_CONTROLPARENT);
        if (newStyle != style) SetWindowLongW(hWnd(), GWL_STYLE, newStyle);
        if (newEx != ex) SetWindowLongW(hWnd(), GWL_EXSTYLE, newEx);
        if (GetParent(hWnd()) != parent) SetParent(hWnd(), parent);
        inPlaceActive_ = true;
        if (placed && !madeHere) SetObjectRects(&posRect, &posRect);
        if (!madeHere) ShowWindow(hWnd(), SW_SHOWNA);
        if (!shown_) {
            shown_ = true;
            Show();
        }
    }
    return uiActivate ? UIActivate() : S_OK;
}

HRESULT UserControl::UIActivate() {
    if (uiActive_) return S_OK;
    uiActive_ = true;
    if (inPlaceSite_) inPlaceSite_->OnUIActivate();
    auto* active = static_cast<IOleInPlaceActiveObject*>(this);
    if (frame_) frame_->SetActiveObject(active, nullptr);
    if (document_) document_->SetActiveObject(active, nullptr);
    HWND focus = GetFocus();
    if (!focus || (focus != hWnd() && !IsChild(hWnd(), focus))) SetFocus(hWnd());
    return S_OK;
}

STDMETHODIMP UserControl::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(clsid_, verbs); }

STDMETHODIMP UserControl::GetUserType(DWORD form, LPOLESTR* type) { return OleRegGetUserType(clsid_, form, type); }

STDMETHODIMP UserControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
    extent_ = *size;
    ApplyExtent();
    return S_OK;
}

STDMETHODIMP UserControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP UserControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!adviseHolder_) RETURN_IF_FAILED(CreateOleAdviseHolder(&adviseHolder_));
    return adviseHolder_->Advise(sink, cookie);
}

STDMETHODIMP UserControl::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP UserControl::EnumAdvise(IEnumSTATDATA** advises) {
    if (!advises) return E_POINTER;
    *advises = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

STDMETHODIMP UserControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = miscStatus_;
    return S_OK;
}

// ---------------------------------------------------------------- in-place object

STDMETHODIMP UserControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = hWnd();
    return *window ? S_OK : E_FAIL;
}

HRESULT UserControl::Park() {
    if (!hwnd_) return S_OK;
    if (GetFocus() == hWnd() || IsChild(hWnd(), GetFocus())) SetFocus(nullptr);
    ShowWindow(hWnd(), SW_HIDE);
    SetParent(hWnd(), parking);
    return S_OK;
}

// A closed control's window goes rather than moving to the parking window, when nothing but the control
// holds it (no child windows, no one else's procedure on it): it is made again from the control's own
// state if it is ever needed, and a closed control is mostly released next.
void UserControl::DropWindow() {
    HWND window = hwnd_.get();
    if (!window || ::GetWindow(window, GW_CHILD) ||
        GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&UserControl::WindowProc))
        return;
    if (GetFocus() == window) SetFocus(nullptr);
    WindowGoing();
    hwnd_.reset();
}

STDMETHODIMP UserControl::InPlaceDeactivate() {
    if (!inPlaceActive_) return S_OK;
    ComPtr<IUnknown> keepAlive(Identity());
    UIDeactivate();
    Park();
    inPlaceActive_ = false;
    frame_.Reset();
    document_.Reset();
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP UserControl::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (document_) document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP UserControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    MoveWindow(hWnd(), pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
}

STDMETHODIMP UserControl::TranslateAccelerator(LPMSG) { return S_FALSE; }

// ---------------------------------------------------------------- IOleControl

STDMETHODIMP UserControl::OnAmbientPropertyChange(DISPID id) {
    if (id != DISPID_AMBIENT_USERMODE && id != DISPID_UNKNOWN) return S_OK;
    ComPtr<IUnknown> keepAlive(Identity());
    Resize();
    Refresh();
    return S_OK;
}

STDMETHODIMP UserControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP UserControl::FreezeEvents(BOOL freeze) {
    frozenEvents_ += freeze ? 1 : (frozenEvents_ > 0 ? -1 : 0);
    return S_OK;
}

// ---------------------------------------------------------------- IViewObject2

STDMETHODIMP UserControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    EnsureInitialized();
    POINT old;
    OffsetViewportOrgEx(dc, bounds->left, bounds->top, &old);
    if (BorderStyle() == 1) {
        RECT window;
        GetWindowRect(hWnd(), &window);
        RECT edge{0, 0, window.right - window.left, window.bottom - window.top};
        DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
        POINT client{0, 0};
        ClientToScreen(hWnd(), &client);
        OffsetViewportOrgEx(dc, client.x - window.left, client.y - window.top, nullptr);
    }
    PrintTree(hWnd(), dc);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
    return S_OK;
}

STDMETHODIMP UserControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP UserControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP UserControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) viewSink_.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP UserControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// ---------------------------------------------------------------- persistence

STDMETHODIMP UserControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

STDMETHODIMP UserControl::InitNew() {
    if (persistInitialized_) return E_UNEXPECTED;
    persistInitialized_ = true;
    initialized_ = true;
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] { return InitProperties(); });
}

HRESULT UserControl::LoadFromBag(IPropertyBag* bag) {
    persistInitialized_ = true;
    initialized_ = true;
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] {
        PropertyBag properties(bag);
        LONG cx = extent_.cx, cy = extent_.cy;
        RETURN_IF_FAILED(properties.Read(L"_ExtentX", cx, cx));
        RETURN_IF_FAILED(properties.Read(L"_ExtentY", cy, cy));
        if (cx >= 0 && cy >= 0) {
            extent_ = {cx, cy};
            ApplyExtent();
        }
        HRESULT hr = ReadProperties(properties);
        dirty_ = false;
        return hr;
    });
}

HRESULT UserControl::SaveToBag(IPropertyBag* bag) {
    EnsureInitialized();
    ComPtr<IUnknown> keepAlive(Identity());
    return NoThrow([&] {
        Variant cx = Variant::I4(extent_.cx), cy = Variant::I4(extent_.cy);
        RETURN_IF_FAILED(bag->Write(L"_ExtentX", cx.get()));
        RETURN_IF_FAILED(bag->Write(L"_ExtentY", cy.get()));
        PropertyBag properties(bag);
        return WriteProperties(properties);
    });
}

STDMETHODIMP UserControl::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    return LoadFromBag(bag);
}

STDMETHODIMP UserControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    RETURN_IF_FAILED(SaveToBag(bag));
    if (clearDirty) dirty_ = false;
    return S_OK;
}

HRESULT UserControl::LoadStream(IStream* stream) {
    return NoThrow([&] {
        uint8_t header[persist::kHeaderSize];
        ULONG read = 0;
        RETURN_IF_FAILED(stream->Read(header, sizeof header, &read));
        if (read != sizeof header) return STG_E_READFAULT;
        std::optional<size_t> size = persist::EncodedSize(header, sizeof header);
        if (!size || *size < sizeof header) return STG_E_INVALIDHEADER;
        std::vector<uint8_t> bytes(header, header + sizeof header);
        bytes.resize(*size);
        ULONG rest = static_cast<ULONG>(*size - sizeof header);
        if (rest) {
            RETURN_IF_FAILED(stream->Read(bytes.data() + sizeof header, rest, &read));
            if (read != rest) return STG_E_READFAULT;
        }
        auto entries = persist::Decode(bytes.data(), bytes.size());
        if (!entries) return STG_E_INVALIDHEADER;
        ComPtr<MemoryPropertyBag> bag;
        RETURN_IF_FAILED(MemoryPropertyBag::Create(std::move(*entries), &bag));
        return LoadFromBag(bag.Get());
    });
}

HRESULT UserControl::SaveEntries(std::vector<uint8_t>& bytes) {
    ComPtr<MemoryPropertyBag> bag;
    RETURN_IF_FAILED(MemoryPropertyBag::Create({}, &bag));
    RETURN_IF_FAILED(SaveToBag(bag.Get()));
    return NoThrow([&] {
        bytes = persist::Encode(bag->entries());
        return bytes.empty() ? STG_E_MEDIUMFULL : S_OK; // too large or malformed to be read back
    });
}

STDMETHODIMP UserControl::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    return LoadStream(stream);
}

STDMETHODIMP UserControl::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    std::vector<uint8_t> bytes;
    RETURN_IF_FAILED(SaveEntries(bytes));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    if (written != bytes.size()) return STG_E_WRITEFAULT;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP UserControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    std::vector<uint8_t> bytes;
    RETURN_IF_FAILED(SaveEntries(bytes));
    size->QuadPart = bytes.size();
    return S_OK;
}

STDMETHODIMP UserControl::InitNew(IStorage* storage) {
    if (!storage) return E_POINTER;
    return InitNew();
}

STDMETHODIMP UserControl::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    if (persistInitialized_) return E_UNEXPECTED;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream));
    return LoadStream(stream.Get());
}

STDMETHODIMP UserControl::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage->CreateStream(L"Contents", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream));
    return Save(stream.Get(), TRUE);
}

// ---------------------------------------------------------------- type information, errors, connection points

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

STDMETHODIMP UserControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return NoThrow([&] {
        return CreateConnectionPointEnumerator(Identity(), {&events_, &propertyNotify_}, points);
    });
}

STDMETHODIMP UserControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid == events_.iid()) *point = &events_;
    else if (iid == IID_IPropertyNotifySink) *point = &propertyNotify_;
    else return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}
