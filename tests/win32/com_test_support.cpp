#include "com_test_support.h"
#include "test_support.h"

#include "com/module.h"

#include <algorithm>

namespace test {

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

LONG NumberProperty(IUnknown* object, const wchar_t* name) {
    Variant v, n;
    EXPECT_EQ(GetProperty(object, name, v), S_OK) << Narrow(name);
    EXPECT_EQ(v.As(VT_I4, n), S_OK) << Narrow(name);
    return n.get()->lVal;
}

std::wstring TextProperty(IUnknown* object, const wchar_t* name) {
    Variant v;
    EXPECT_EQ(GetProperty(object, name, v), S_OK) << Narrow(name);
    return v.type() == VT_BSTR ? std::wstring(v.get()->bstrVal, SysStringLen(v.get()->bstrVal)) : L"?";
}

RECT PlaceOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF Shown(COLORREF color) {
    HDC screen = GetDC(nullptr);
    COLORREF shown = GetNearestColor(screen, color);
    ReleaseDC(nullptr, screen);
    return shown;
}

Surface SurfaceOf(const Control& control) {
    if (control.hWnd()) {
        RECT client;
        GetClientRect(control.hWnd(), &client);
        return {control.hWnd(), client};
    }
    return {control.container().ContainerWindow(), control.Bounds()};
}

POINT Surface::OnScreen(int x, int y) const {
    POINT p{area.left + x, area.top + y};
    ClientToScreen(window, &p);
    return p;
}

Control* WindowlessChild(const Container& container, int id) {
    for (Control* child : container.WindowlessChildren())
        if (child->id() == id) return child;
    return nullptr;
}

Snapshot::Snapshot(HWND hwnd, bool redrawAll) : Snapshot(hwnd, RECT{}, redrawAll) {}

Snapshot::Snapshot(const Control& control, bool redrawAll)
    : Snapshot(SurfaceOf(control).window, SurfaceOf(control).area, redrawAll) {}

Snapshot::Snapshot(HWND hwnd, RECT area, bool redrawAll) {
    if (redrawAll)
        RedrawWindow(GetAncestor(hwnd, GA_ROOT), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    if (IsRectEmpty(&area)) GetClientRect(hwnd, &area);
    width_ = area.right - area.left;
    height_ = area.bottom - area.top;
    HDC source = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, source, area.left, area.top, SRCCOPY);
    GdiFlush();
    auto* raw = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width_ * height_; ++i)
        pixels_.push_back(RGB(GetBValue(raw[i]), GetGValue(raw[i]), GetRValue(raw[i])));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, source);
}

int Snapshot::Count(COLORREF color) const {
    return static_cast<int>(std::count(pixels_.begin(), pixels_.end(), color));
}

int Snapshot::LeftmostNot(COLORREF ground) const {
    for (int x = 0; x < width_; ++x)
        for (int y = 0; y < height_; ++y)
            if (At(x, y) != ground) return x;
    return -1;
}

namespace {
HRESULT InvokeByName(IUnknown* object, const wchar_t* name, WORD flags, DISPPARAMS params, VARIANT* result,
                     EXCEPINFO* info = nullptr) {
    ComPtr<IDispatch> dispatch;
    RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&dispatch)));
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id;
    RETURN_IF_FAILED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, info, nullptr);
}
} // namespace

HRESULT GetProperty(IUnknown* object, const wchar_t* name, Variant& value) {
    return InvokeByName(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, value.put());
}

HRESULT PutProperty(IUnknown* object, const wchar_t* name, const Variant& value, bool byRef) {
    Variant arg = value;
    DISPID put = DISPID_PROPERTYPUT;
    EXCEPINFO info{};
    HRESULT hr = InvokeByName(object, name, byRef ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT,
                              {arg.get(), &put, 1, 1}, nullptr, &info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

HRESULT CallMethod(IUnknown* object, const wchar_t* name) {
    return InvokeByName(object, name, DISPATCH_METHOD, {}, nullptr);
}

HRESULT EventSink::Connect(IUnknown* source, REFIID iid) {
    ComPtr<IConnectionPointContainer> container;
    RETURN_IF_FAILED(source->QueryInterface(IID_PPV_ARGS(&container)));
    RETURN_IF_FAILED(container->FindConnectionPoint(iid, &point_));
    return point_->Advise(static_cast<IDispatch*>(this), &cookie_);
}

void EventSink::Disconnect() {
    if (point_) point_->Unadvise(cookie_);
    point_.Reset();
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out) {
    *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    Event event{id, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
        Variant value;
        VariantCopyInd(value.put(), &params->rgvarg[i]);
        event.args.push_back(std::move(value));
    }
    events.push_back(std::move(event));
    return S_OK;
}

HINSTANCE RecordingPlatform::ShellExecute(HWND owner, const wchar_t* operation, const wchar_t* file,
                                          const wchar_t* parameters, const wchar_t* directory, int show) {
    shellCalls.push_back({owner, operation ? operation : L"", file ? file : L"", parameters ? parameters : L"",
                          directory ? directory : L"", show});
    return reinterpret_cast<HINSTANCE>(2); // what the shell answers for "file not found"
}

int RecordingPlatform::MessageBox(HWND, const wchar_t* text, const wchar_t*, UINT) {
    messages.push_back(text);
    return IDOK;
}

void LibraryTest::TearDown() {
    Pump();
    EXPECT_EQ(Module::LockCount(), 0) << "a control or enumerator was leaked";
    OleUninitialize();
}

void HostedControl::Host(HRESULT (*create)(REFIID, void**), const IID& events, Platform* platform,
                         const wchar_t* name, int width, int height,
                         const std::vector<ActiveXControl::StoredProperty>& stored) {
    OleInitialize(nullptr);
    if (platform) useIt = std::make_unique<PlatformOverride>(*platform);
    form = std::make_unique<HostForm>();
    site = std::make_unique<ActiveXControl>(*form, name);
    site->Move(300, 300, width, height);
    ComPtr<IUnknown> object;
    ASSERT_EQ(create(IID_PPV_ARGS(&object)), S_OK);
    ASSERT_EQ(site->Create(object.Get(), stored), S_OK);
    ShowWindow(form->hWnd(), SW_SHOW);
    SetForegroundWindow(form->hWnd());
    ASSERT_EQ(sink.Connect(site->Object(), events), S_OK);
    Pump();
}

void HostedControl::TearDown() {
    sink.Disconnect();
    site.reset();
    form.reset();
    useIt.reset();
    Pump();
    EXPECT_EQ(sink.refs(), 0u);
    EXPECT_EQ(Module::LockCount(), 0) << "a control or enumerator was leaked";
    OleUninitialize();
}

std::string StreamBytes(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    for (unsigned char b : bytes) text.append({"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]});
    return text;
}

} // namespace test
