#include "host/control_site.h"

#include "host/form_controls.h"
#include "com/named_dispatch.h"
#include "persist/property_bag.h"
#include "services/screen.h"

#include <memory>
#include <new>

namespace {
LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, 2540); }
LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, 2540, dpi); }


HRESULT PutString(VARIANT* result, const std::wstring& text) {
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT PutLong(VARIANT* result, LONG value) {
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
}
} // namespace

// One COM object per placed control: its client site, in-place site and frame, control site, and the
// ambient properties (its own IDispatch).
class ActiveXControl::Site final : public IOleClientSite,
                                   public IOleInPlaceSite,
                                   public IOleControlSite,
                                   public IOleInPlaceFrame,
                                   public IDispatch {
public:
    explicit Site(ActiveXControl& owner) : owner_(&owner), ownerCell_(std::make_shared<ActiveXControl*>(&owner)) {}
    void Detach() {
        owner_ = nullptr;
        *ownerCell_ = nullptr;
    }
    HRESULT Build();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleControlSite) *out = static_cast<IOleControlSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = owner_ ? owner_->container_.ContainerWindow() : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return owner_ ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !document || !pos || !clip || !info) return E_POINTER;
        if (!owner_) return E_UNEXPECTED;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *pos = owner_->rect_;
        GetClientRect(owner_->container_.ContainerWindow(), clip);
        info->fMDIApp = FALSE;
        info->hwndFrame = GetAncestor(owner_->container_.ContainerWindow(), GA_ROOT);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT pos) override {
        if (!pos) return E_POINTER;
        if (owner_) owner_->rect_ = *pos;
        ComPtr<IOleInPlaceObject> object;
        if (owner_ && owner_->object_ && SUCCEEDED(owner_->object_.As(&object))) object->SetObjectRects(pos, pos);
        return S_OK;
    }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** extender) override {
        if (!extender) return E_POINTER;
        *extender = extender_.Get();
        if (!*extender) return E_NOTIMPL;
        (*extender)->AddRef();
        return S_OK;
    }
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override {
        if (!himetric || !container) return E_POINTER;
        // The container's units are twips.
        if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
            container->x = himetric->x * 1440.0f / 2540.0f;
            container->y = himetric->y * 1440.0f / 2540.0f;
        } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
            himetric->x = static_cast<LONG>(container->x * 2540.0f / 1440.0f + 0.5f);
            himetric->y = static_cast<LONG>(container->y * 2540.0f / 1440.0f + 0.5f);
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame: a form has no toolbars or menus to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        active_ = object;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the ambient properties.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return ambient_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return ambient_->GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return ambient_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return ambient_->Invoke(id, iid, lcid, flags, params, result, exception, argError);
    }

private:
    ~Site() = default;
    HRESULT Owner() const { return owner_ ? S_OK : E_UNEXPECTED; }

    LONG refs_ = 1;
    ActiveXControl* owner_;
    // What the ambient and extender members reach their control through: a control may keep its extender
    // (a splitter keeps the two it lays out) after the site is gone, and then finds no owner.
    std::shared_ptr<ActiveXControl*> ownerCell_;
    ComPtr<NamedDispatch> ambient_;
    ComPtr<NamedDispatch> extender_;
    ComPtr<NamedDispatch> parent_;
    ComPtr<IOleInPlaceActiveObject> active_;
};

HRESULT ActiveXControl::Site::Build() {
    RETURN_IF_FAILED(NamedDispatch::Create(&ambient_));
    RETURN_IF_FAILED(NamedDispatch::Create(&extender_));
    RETURN_IF_FAILED(NamedDispatch::Create(&parent_));
    auto owner = [cell = ownerCell_]() { return *cell; };

    RETURN_IF_FAILED(ambient_->AddProperty(
        L"UserMode",
        [owner](VARIANT* r) {
            RETURN_IF_FAILED(owner() ? S_OK : E_UNEXPECTED);
            r->vt = VT_BOOL;
            r->boolVal = owner()->userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        },
        nullptr, DISPID_AMBIENT_USERMODE));
    RETURN_IF_FAILED(ambient_->AddProperty(
        L"Font",
        [owner](VARIANT* r) {
            RETURN_IF_FAILED(owner() ? S_OK : E_UNEXPECTED);
            ComPtr<IFont> font = owner()->container_.DefaultFont();
            RETURN_HR_IF_NULL(DISP_E_MEMBERNOTFOUND, font);
            r->vt = VT_DISPATCH;
            return font->QueryInterface(IID_PPV_ARGS(&r->pdispVal));
        },
        nullptr, DISPID_AMBIENT_FONT));
    RETURN_IF_FAILED(ambient_->AddProperty(
        L"DisplayName",
        [owner](VARIANT* r) { return owner() ? PutString(r, owner()->name_) : E_UNEXPECTED; }, nullptr,
        DISPID_AMBIENT_DISPLAYNAME));
    RETURN_IF_FAILED(ambient_->AddProperty(
        L"LocaleID", [](VARIANT* r) { return PutLong(r, static_cast<LONG>(GetUserDefaultLCID())); }, nullptr,
        DISPID_AMBIENT_LOCALEID));
    for (DISPID flag : {DISPID_AMBIENT_MESSAGEREFLECT, DISPID_AMBIENT_SHOWGRABHANDLES, DISPID_AMBIENT_SHOWHATCHING,
                        DISPID_AMBIENT_UIDEAD})
        RETURN_IF_FAILED(ambient_->AddProperty(
            flag == DISPID_AMBIENT_MESSAGEREFLECT  ? L"MessageReflect"
            : flag == DISPID_AMBIENT_SHOWGRABHANDLES ? L"ShowGrabHandles"
            : flag == DISPID_AMBIENT_SHOWHATCHING    ? L"ShowHatching"
                                                     : L"UIDead",
            [](VARIANT* r) {
                r->vt = VT_BOOL;
                r->boolVal = VARIANT_FALSE;
                return S_OK;
            },
            nullptr, flag));

    RETURN_IF_FAILED(parent_->AddProperty(L"hWnd", [owner](VARIANT* r) {
        return owner() ? PutLong(r, static_cast<LONG>(reinterpret_cast<LONG_PTR>(
                                        GetAncestor(owner()->container_.ContainerWindow(), GA_ROOT))))
                       : E_UNEXPECTED;
    }));
    RETURN_IF_FAILED(parent_->AddProperty(L"Controls", [owner](VARIANT* r) {
        RETURN_IF_FAILED(owner() ? S_OK : E_UNEXPECTED);
        r->vt = VT_DISPATCH;
        return MakeFormControls(GetAncestor(owner()->container_.ContainerWindow(), GA_ROOT), &r->pdispVal);
    }));

    RETURN_IF_FAILED(extender_->AddProperty(L"Name", [owner](VARIANT* r) {
        return owner() ? PutString(r, owner()->name_) : E_UNEXPECTED;
    }));
    RETURN_IF_FAILED(extender_->AddProperty(
        L"ToolTipText", [owner](VARIANT* r) { return owner() ? PutString(r, owner()->toolTipText_) : E_UNEXPECTED; },
        [owner](const VARIANT& v) {
            RETURN_IF_FAILED(owner() ? S_OK : E_UNEXPECTED);
            Variant text;
            RETURN_IF_FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&v), 0, VT_BSTR));
            owner()->toolTipText_.assign(text.get()->bstrVal, SysStringLen(text.get()->bstrVal));
            return S_OK;
        }));
    ComPtr<NamedDispatch> parent = parent_;
    RETURN_IF_FAILED(extender_->AddProperty(L"Parent", [parent](VARIANT* r) {
        r->vt = VT_DISPATCH;
        r->pdispVal = parent.Get();
        parent->AddRef();
        return S_OK;
    }));
    auto twips = [owner](LONG RECT::*low, LONG RECT::*high, bool across) {
        return [owner, low, high, across](VARIANT* r) {
            RETURN_IF_FAILED(owner() ? S_OK : E_UNEXPECTED);
            const RECT& rect = owner()->rect_;
            int pixels = high ? rect.*high - rect.*low : rect.*low;
            return PutLong(r, across ? Screen::PixelsToTwipsX(pixels) : Screen::PixelsToTwipsY(pixels));
        };
    };
    RETURN_IF_FAILED(extender_->AddProperty(L"Left", twips(&RECT::left, nullptr, true)));
    RETURN_IF_FAILED(extender_->AddProperty(L"Top", twips(&RECT::top, nullptr, false)));
    RETURN_IF_FAILED(extender_->AddProperty(L"Width", twips(&RECT::left, &RECT::right, true)));
    RETURN_IF_FAILED(extender_->AddProperty(L"Height", twips(&RECT::top, &RECT::bottom, false)));
    // Move left[, top[, width[, height]]] in twips, as a host's code (or a control that lays out others)
    // calls it by name; what is left out keeps its value, and a negative size moves nothing.
    RETURN_IF_FAILED(extender_->AddMethod(L"Move", [owner](DISPPARAMS* params, VARIANT*) -> HRESULT {
        ActiveXControl* control = owner();
        RETURN_IF_FAILED(control ? S_OK : E_UNEXPECTED);
        if (!params || params->cArgs < 1 || params->cArgs > 4) return DISP_E_BADPARAMCOUNT;
        const RECT& r = control->rect_;
        LONG place[4] = {Screen::PixelsToTwipsX(r.left), Screen::PixelsToTwipsY(r.top),
                         Screen::PixelsToTwipsX(r.right - r.left), Screen::PixelsToTwipsY(r.bottom - r.top)};
        for (UINT i = 0; i < params->cArgs; ++i) {
            VARIANT& arg = params->rgvarg[params->cArgs - 1 - i];
            if (arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND) continue;
            Variant twips;
            RETURN_IF_FAILED(VariantChangeType(twips.put(), &arg, 0, VT_I4));
            place[i] = twips.get()->lVal;
        }
        if (place[2] < 0 || place[3] < 0) return CTL_E_INVALIDPROPERTYVALUE;
        control->Move(place[0], place[1], place[2], place[3]);
        return S_OK;
    }));
    RETURN_IF_FAILED(extender_->AddMethod(L"Refresh", [owner](DISPPARAMS*, VARIANT*) -> HRESULT {
        ActiveXControl* control = owner();
        RETURN_IF_FAILED(control ? S_OK : E_UNEXPECTED);
        if (HWND hwnd = control->hWnd())
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return S_OK;
    }));
    return S_OK;
}

ActiveXControl::ActiveXControl(Container& container, std::wstring name)
    : container_(container), name_(std::move(name)) {}

ActiveXControl::~ActiveXControl() { Release(); }

// A control that failed half-way is let go as completely as one that ran.
void ActiveXControl::Release() {
    if (object_) {
        ComPtr<IOleObject> ole;
        if (SUCCEEDED(object_.As(&ole))) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
        }
        object_.Reset();
    }
    if (site_) site_->Detach();
    site_.Reset();
    if (library_) {
        using CanUnload = HRESULT(STDAPICALLTYPE*)();
        auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
        if (canUnload && canUnload() == S_OK) FreeLibrary(library_);
        library_ = nullptr;
    }
}

HRESULT ActiveXControl::CreateObject(const CLSID& clsid, const std::wstring& fallbackLibrary) {
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object_));
    if (SUCCEEDED(hr) || fallbackLibrary.empty() || (hr != REGDB_E_CLASSNOTREG && hr != CO_E_DLLNOTFOUND &&
                                                     hr != HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)))
        return hr;
    // Not registered: the library lying beside the program serves as well.
    library_ = LoadLibraryW(fallbackLibrary.c_str());
    if (!library_) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
    if (!get) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<IClassFactory> factory;
    RETURN_IF_FAILED(get(clsid, IID_PPV_ARGS(&factory)));
    return factory->CreateInstance(nullptr, IID_PPV_ARGS(&object_));
}

HRESULT ActiveXControl::Create(const CLSID& clsid, const std::vector<StoredProperty>& stored,
                               const std::wstring& fallbackLibrary) {
    if (object_) return E_UNEXPECTED;
    RETURN_IF_FAILED(CreateObject(clsid, fallbackLibrary));
    return Place(stored);
}

HRESULT ActiveXControl::Create(IUnknown* object, const std::vector<StoredProperty>& stored) {
    if (object_) return E_UNEXPECTED;
    if (!object) return E_POINTER;
    object_ = object;
    return Place(stored);
}

HRESULT ActiveXControl::Place(const std::vector<StoredProperty>& stored) {
    HRESULT hr = NoThrow([&]() -> HRESULT {
        site_ = Adopt(new (std::nothrow) Site(*this));
        RETURN_HR_IF_NULL(E_OUTOFMEMORY, site_);
        RETURN_IF_FAILED(site_->Build());

        ComPtr<IOleObject> ole;
        RETURN_IF_FAILED(object_.As(&ole));
        DWORD status = 0;
        ole->GetMiscStatus(DVASPECT_CONTENT, &status);
        if (status & OLEMISC_SETCLIENTSITEFIRST) RETURN_IF_FAILED(ole->SetClientSite(site_.Get()));

        ComPtr<IPersistPropertyBag> persist;
        ComPtr<IPersistStreamInit> persistStream;
        if (SUCCEEDED(object_.As(&persist))) {
            std::vector<persist::Entry> entries;
            for (const auto& p : stored) {
                persist::Entry entry;
                RETURN_IF_FAILED(EntryFromVariant(p.key, *p.value.get(), entry));
                entries.push_back(std::move(entry));
            }
            ComPtr<MemoryPropertyBag> bag;
            RETURN_IF_FAILED(MemoryPropertyBag::Create(std::move(entries), &bag));
            RETURN_IF_FAILED(stored.empty() ? persist->InitNew() : persist->Load(bag.Get(), nullptr));
        } else if (SUCCEEDED(object_.As(&persistStream))) {
            RETURN_IF_FAILED(persistStream->InitNew());
        }
        if (!(status & OLEMISC_SETCLIENTSITEFIRST)) RETURN_IF_FAILED(ole->SetClientSite(site_.Get()));

        if (IsRectEmpty(&rect_)) {
            SIZEL extent{};
            ole->GetExtent(DVASPECT_CONTENT, &extent);
            rect_.right = rect_.left + HimetricToPixels(extent.cx, Screen::DpiX());
            rect_.bottom = rect_.top + HimetricToPixels(extent.cy, Screen::DpiY());
        } else {
            SIZEL extent{PixelsToHimetric(rect_.right - rect_.left, Screen::DpiX()),
                         PixelsToHimetric(rect_.bottom - rect_.top, Screen::DpiY())};
            ole->SetExtent(DVASPECT_CONTENT, &extent);
        }
        if (status & OLEMISC_INVISIBLEATRUNTIME && userMode_) return S_OK;
        RETURN_IF_FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0,
                                     container_.ContainerWindow(), &rect_));
        if (after_) PlaceAfter(after_);
        return S_OK;
    });
    if (FAILED(hr)) Release();
    return hr;
}

void ActiveXControl::Move(int left, int top, int width, int height) {
    int x = Screen::TwipsToPixelsX(left), y = Screen::TwipsToPixelsY(top);
    rect_ = {x, y, x + Screen::TwipsToPixelsX(width), y + Screen::TwipsToPixelsY(height)};
    ComPtr<IOleInPlaceObject> object;
    if (object_ && SUCCEEDED(object_.As(&object))) object->SetObjectRects(&rect_, &rect_);
}

void ActiveXControl::GetPlace(int& left, int& top, int& width, int& height) const {
    left = Screen::PixelsToTwipsX(rect_.left);
    top = Screen::PixelsToTwipsY(rect_.top);
    width = Screen::PixelsToTwipsX(rect_.right - rect_.left);
    height = Screen::PixelsToTwipsY(rect_.bottom - rect_.top);
}

HRESULT ActiveXControl::SetUserMode(bool userMode) {
    if (userMode_ == userMode) return S_OK;
    userMode_ = userMode;
    if (!object_) return S_OK;
    ComPtr<IOleControl> control;
    if (SUCCEEDED(object_.As(&control))) RETURN_IF_FAILED(control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE));
    ComPtr<IOleObject> ole;
    RETURN_IF_FAILED(object_.As(&ole));
    DWORD status = 0;
    ole->GetMiscStatus(DVASPECT_CONTENT, &status);
    if (!(status & OLEMISC_INVISIBLEATRUNTIME)) return S_OK;
    if (userMode) {
        ComPtr<IOleInPlaceObject> inPlace;
        RETURN_IF_FAILED(object_.As(&inPlace));
        return inPlace->InPlaceDeactivate();
    }
    RETURN_IF_FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, container_.ContainerWindow(), &rect_));
    if (after_) PlaceAfter(after_);
    return S_OK;
}

void ActiveXControl::PlaceAfter(HWND sibling) {
    after_ = sibling;
    if (HWND window = hWnd())
        SetWindowPos(window, sibling ? sibling : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND ActiveXControl::hWnd() const {
    ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (object_ && SUCCEEDED(object_.As(&window))) window->GetWindow(&hwnd);
    return hwnd && GetParent(hwnd) == container_.ContainerWindow() ? hwnd : nullptr;
}

// The control's own window whether or not it is shown here: controls placed inside one that is not
// activated (invisible at run time, say) live in its parked window.
HWND ActiveXControl::ContainerWindow() const {
    ComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (object_ && SUCCEEDED(object_.As(&window))) window->GetWindow(&hwnd);
    return hwnd;
}
