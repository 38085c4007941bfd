// UserControl: the base of every control of the library. It owns the control's window (parked out of
// sight until a container activates it in place) and carries the whole COM side once: activation, drawing
// for the container, persistence through property bags, streams and storages, events, ambient properties,
// the extender, and IUnknown and IDispatch of the control's dual interface. A control derives from
// DualInterface<> first and UserControl second, and writes only its behaviour.
#pragma once
#include "services/accessible.h"
#include "services/color.h"
#include "com/com.h"
#include "com/connection_point.h"
#include "intrinsics/control.h"
#include "com/module.h"
#include "persist/property_bag.h"
#include "com/typed_dispatch.h"

#include <ocidl.h>

#include <initializer_list>

class UserControl : public Container,
                    public AccessibleSource,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObject2,
                    public IPersistPropertyBag,
                    public IPersistStreamInit,
                    public IPersistStorage,
                    public IProvideClassInfo2,
                    public ISupportErrorInfo,
                    public IConnectionPointContainer {
public:
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    // ---- IUnknown of every interface; the object's identity is its IOleObject ----
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    IUnknown* Identity() { return static_cast<IOleObject*>(this); }

    // ---- IDispatch of the dual interface, through the type library (DualInterface forwards here) ----
    HRESULT DualTypeInfo(UINT index, ITypeInfo** info);
    HRESULT DualIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT DualInvoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* argError);

    // ---- what a control uses ----
    // The control's window, made (parked) when first asked for; a container that activates the control
    // first has it made in its own window instead.
    HWND hWnd() const { return hwnd_ ? hwnd_.get() : MakeWindow(nullptr); }
    int Width() const;  // twips
    int Height() const; // twips
    // The control resizing itself (twips): the container is told, and Resize runs again before these return.
    // A negative size fails with CTL_E_INVALIDPROPERTYVALUE.
    HRESULT SetWidth(int width);
    HRESULT SetHeight(int height);
    // The inner area, twips: Width and Height less the border.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // 0 none, 1 fixed single (the system's sunken edge, inside the extent).
    short BorderStyle() const;
    HRESULT SetBorderStyle(short style);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    short BackStyle() const { return backStyle_; }
    HRESULT SetBackStyle(short style); // 0 transparent, 1 opaque
    void Refresh();
    // The device context to draw on while Paint runs.
    HDC hDC() const { return paintDc_; }
    // Tells the container that a persisted property changed (its name as the type library spells it).
    void PropertyChanged(const wchar_t* name);

    struct AmbientProperties {
        bool UserMode = true;
        ComPtr<IFont> Font;
    };
    AmbientProperties Ambient() const;
    // A property the container adds to the control, read or written by name.
    HRESULT Extender(const wchar_t* name, Variant& value) const;
    HRESULT SetExtender(const wchar_t* name, const Variant& value);

    // Raises an event of the control's event interface; arguments in declaration order, by reference.
    template <class... Args> HRESULT RaiseEvent(DISPID id, Args&... args) {
        VARIANTARG values[sizeof...(Args) + 1] = {ByRef(args)...};
        return RaiseEventArgs(id, values, sizeof...(Args));
    }

    // ---- Container, for the child controls ----
    HWND ContainerWindow() const override { return hWnd(); }
    HWND ExistingWindow() const override { return hwnd_.get(); }
    ComPtr<IFont> DefaultFont() const override { return Ambient().Font; }
    bool PreviewKey(Control& child, UINT message, WPARAM wParam, LPARAM lParam) override;
    void ChildFocus(Control& child, bool gained) override;

    // ---- IOleObject ----
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT pos) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ----
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // ---- IOleControl ----
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
    // A change of mode lays the control out again, where it reads its design-time looks.
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // ---- IViewObject2 ----
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // ---- IPersist* ----
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

    // ---- IProvideClassInfo2, ISupportErrorInfo, IConnectionPointContainer ----
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    struct ClassIdentity {
        const CLSID& clsid;
        const IID& defaultInterface;
        const IID& events;
        DWORD miscStatus;
        int designWidth, designHeight; // twips
    };

protected:
    // dual: the control's default interface, which the same object implements through DualInterface.
    UserControl(const ClassIdentity& identity, IDispatch* dual);
    virtual ~UserControl();

    void AttachWindow();
    // Runs InitProperties once for a client that never initialized the persistence (a script).
    void EnsureInitialized();

    // ---- life cycle and events of the control's own surface; a control overrides what it handles ----
    virtual void Initialize() {}
    virtual HRESULT InitProperties() { return S_OK; }
    virtual HRESULT ReadProperties(PropertyBag&) { return S_OK; }
    virtual HRESULT WriteProperties(PropertyBag&) { return S_OK; }
    virtual void Resize() {}
    virtual void Show() {}
    virtual void Paint() {}
    virtual void EnterFocus() {}
    virtual void ExitFocus() {}
    virtual void KeyDown(short& /*keyCode*/, short /*shift*/) {}
    virtual void KeyPress(short& /*keyAscii*/) {}
    virtual void KeyUp(short& /*keyCode*/, short /*shift*/) {}
    virtual void Click() {}
    virtual void DblClick() {}
    virtual void MouseDown(short /*button*/, short /*shift*/, float /*x*/, float /*y*/) {}
    virtual void MouseMove(short /*button*/, short /*shift*/, float /*x*/, float /*y*/) {}
    virtual void MouseUp(short /*button*/, short /*shift*/, float /*x*/, float /*y*/) {}
    virtual void Terminate() {}
    // What a screen reader reads: by default the window, named by the container's Name for it (else the
    // class's), with the window's states. A control overrides it to say what it is.
    AccessibleElement Describe(long child) const override;

    // Key events of the children reach the control's KeyDown/KeyPress/KeyUp first.
    bool KeyPreview = false;

    // A failure with a description for late-bound callers.
    HRESULT Error(HRESULT hr, std::wstring_view description) {
        return ReportError(hr, defaultInterface_, description);
    }

    template <class Derived> friend HRESULT CreateControl(REFIID iid, void** object);

private:
    // Focus moves are settled only after both windows saw them; the check runs from the queue.
    static constexpr UINT kCheckFocus = WM_APP + 0x71;

    static VARIANTARG ByRef(short& v);
    static VARIANTARG ByRef(long& v);
    static VARIANTARG ByRef(float& v);
    static VARIANTARG ByRef(OLE_COLOR& v);
    static VARIANTARG ByRef(BSTR& v);
    static VARIANTARG ByRef(IDispatch*& v);
    HRESULT RaiseEventArgs(DISPID id, VARIANTARG* args, UINT count);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintTo(HDC dc);
    void MouseEvent(UINT message, WPARAM wParam, LPARAM lParam);
    bool KeyEvent(UINT message, WPARAM& wParam, LPARAM lParam);
    void UpdateFocus();
    void ApplyExtent();
    HRESULT ChangeExtent(SIZEL extent);
    HRESULT ActivateInPlace(bool uiActivate, IOleClientSite* site, HWND parent, LPCRECT pos);
    HRESULT Park();
    void DropWindow();
    void ConnectWindow(); // the window reaches the control, and screen readers find it
    HRESULT LoadFromBag(IPropertyBag* bag);
    HRESULT SaveToBag(IPropertyBag* bag);
    HRESULT LoadStream(IStream* stream);
    HRESULT SaveEntries(std::vector<uint8_t>& bytes);
    HRESULT UIActivate();
    HRESULT Ambient(DISPID id, Variant& value) const;
    HRESULT ExtenderMember(const wchar_t* name, ComPtr<IDispatch>& extender, DISPID& id) const;

    const CLSID& clsid_;
    const IID& defaultInterface_;
    IDispatch* const dual_;
    DWORD miscStatus_;
    LONG refs_ = 1;
    HWND MakeWindow(HWND parent, const RECT* place = nullptr) const;
    mutable UniqueHwnd hwnd_;
    bool attached_ = false;
    short borderStyle_ = 0;
    SIZEL extent_{}; // HIMETRIC
    OleColor backColor_ = 0x8000000F;
    OleColor foreColor_ = 0x80000012;
    short backStyle_ = 1;
    bool enabled_ = true;
    bool dirty_ = false;
    bool initialized_ = false;        // InitProperties or ReadProperties ran
    bool persistInitialized_ = false; // InitNew or Load was called; a second one is an error
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    bool shown_ = false;
    bool hasFocus_ = false;
    bool mouseDownInside_ = false;
    LONG frozenEvents_ = 0;
    HDC paintDc_ = nullptr;
    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleInPlaceFrame> frame_;
    ComPtr<IOleInPlaceUIWindow> document_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    ConnectionPoint events_;
    ConnectionPoint propertyNotify_;
};

// The control's dual interface, its IUnknown and IDispatch served by the control's UserControl. It comes
// first among a control's bases, so that the control's members of the interface are reached without
// adjusting the object's address (no stub each), and it holds nothing to destroy, so that the control keeps
// no second table of all its interfaces for a destructor: both are about size, paid once per control.
//     class Hyperlink final : public DualInterface<Hyperlink, _Hyperlink>, public UserControl
template <class Self, class Interface> class DualInterface : public Interface {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return Object().UserControl::QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Object().UserControl::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return Object().UserControl::Release(); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        return Object().DualTypeInfo(index, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return Object().DualIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return Object().DualInvoke(id, riid, flags, params, result, exception, argError);
    }

protected:
    DualInterface() = default;
    // What UserControl's constructor takes to describe the class.
    static UserControl::ClassIdentity ClassOf(const CLSID& clsid, const IID& events, DWORD miscStatus,
                                              int designWidth, int designHeight) {
        return {clsid, __uuidof(Interface), events, miscStatus, designWidth, designHeight};
    }

private:
    UserControl& Object() { return *static_cast<Self*>(this); }
};

// The creation function a class table holds: a new instance, Initialize run, asked for iid.
template <class Derived> HRESULT CreateControl(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return NoThrow([&] {
        auto* control = new (std::nothrow) Derived();
        if (!control) return E_OUTOFMEMORY;
        UserControl& base = *control;
        base.AttachWindow();
        base.Initialize();
        base.Resize();
        HRESULT hr = base.QueryInterface(iid, object);
        base.Release();
        return hr;
    });
}
