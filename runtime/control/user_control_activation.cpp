// The control in its container: the client site, activation in place and in the user interface, the
// extent the container gives it, and ambient-property changes.
#include "control/user_control.h"

#include <utility>

namespace {

BOOL CALLBACK FindTabStop(HWND child, LPARAM found) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

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
