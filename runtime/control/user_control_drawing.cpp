// What the control looks like: its own paint, and its picture for a container that draws it.
#include "control/user_control.h"

namespace {

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

void UserControl::Refresh() {
    if (hwnd_) RedrawWindow(hwnd_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

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
