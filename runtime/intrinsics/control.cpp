#include "intrinsics/control.h"

#include "services/accessible.h"
#include "services/screen.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace {
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// Property names carry the module's address: a program and a control library in one process each have
// their own copy of this code, and neither may take the other's windows for its own.
std::wstring ModuleScoped(const wchar_t* name) {
    wchar_t scoped[64];
    wsprintfW(scoped, L"%ls.%p", name, static_cast<void*>(ThisModule())); // not the C runtime's: it costs 25 KB
    return scoped;
}

// Registers one of our window classes; a class left behind by an earlier load of this module (with a
// procedure that is no longer there) is replaced.
void EnsureClass(HINSTANCE module, const wchar_t* name, UINT style, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(module, name, &wc)) {
        if (wc.lpfnWndProc == proc) return;
        UnregisterClassW(name, module);
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

unsigned long long NextSerial() {
    static unsigned long long made = 0;
    return ++made;
}

HCURSOR PointerCursor(short pointer, HCURSOR icon) {
    static const LPCWSTR standard[] = {nullptr,      IDC_ARROW,       IDC_CROSS,    IDC_IBEAM,
                                       IDC_ARROW,    IDC_SIZEALL,     IDC_SIZENESW, IDC_SIZENS,
                                       IDC_SIZENWSE, IDC_SIZEWE,      IDC_UPARROW,  IDC_WAIT,
                                       IDC_NO,       IDC_APPSTARTING, IDC_HELP,     IDC_SIZEALL};
    if (pointer == 99) return icon;
    if (pointer <= 0 || pointer >= short(std::size(standard))) return nullptr;
    return LoadCursorW(nullptr, standard[pointer]);
}

} // namespace

const wchar_t* Control::ControlProperty() {
    static const std::wstring name = ModuleScoped(L"Runtime.Control");
    return name.c_str();
}
const wchar_t* Control::BaseProperty() {
    static const std::wstring name = ModuleScoped(L"Runtime.BaseProc");
    return name.c_str();
}

bool PaintParentBackground(HWND child, HDC dc) {
    HWND parent = GetAncestor(child, GA_PARENT);
    if (!parent || parent == GetDesktopWindow() || !dc) return false;
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
    return true;
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, ControlProperty())) : nullptr;
}

Control::Control(Container& container, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                 Look look)
    : container_(container), look_(look), serial_(NextSerial()), font_([this] { OnFontChanged(); }),
      backColor_(look.backColor), foreColor_(look.foreColor) {
    HINSTANCE module = ThisModule();
    const bool ownClass = look.classStyle != 0;
    if (ownClass) EnsureClass(module, windowClass, look.classStyle, &Dispatch);
    // Siblings clip each other, so a see-through control is the only one that paints what lies behind it.
    HWND hwnd =
        CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0,
                        0, container.ContainerWindow(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        module, ownClass ? this : nullptr);
    if (!hwnd) return;
    hwnd_.reset(hwnd);
    if (!ownClass) Subclass(hwnd);
    TakeContainerFont();
}

Control::Control(Container& container, int id, Look look)
    : container_(container), look_(look), windowless_(true), serial_(NextSerial()), font_([this] { OnFontChanged(); }),
      backColor_(look.backColor), foreColor_(look.foreColor), id_(id) {
    container.windowless_.push_back(this); // behind the ones declared before it
    TakeContainerFont();
}

// A copy: a change through one child's font must not reach its siblings.
void Control::TakeContainerFont() {
    ComPtr<IFont> font = CloneFont(container_.DefaultFont().Get());
    if (!font) font = MakeFont(FontSpec{});
    font_.Set(std::move(font));
}

Control::~Control() {
    Destroy();
}

void Control::Subclass(HWND hwnd) {
    SetPropW(hwnd, ControlProperty(), this);
    baseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::Dispatch)));
    SetPropW(hwnd, BaseProperty(), reinterpret_cast<HANDLE>(baseProc_));
}

HRESULT Control::Recreate(DWORD style, DWORD exStyle) {
    HWND old = hWnd();
    if (!old || look_.classStyle != 0) return E_UNEXPECTED;
    wchar_t windowClass[64];
    GetClassNameW(old, windowClass, 64);
    RECT place = PlacedRect();
    HWND created = CreateWindowExW(exStyle, windowClass, Caption().c_str(), style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, GetParent(old),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(old))),
                                   ThisModule(), nullptr);
    if (!created) return HRESULT_FROM_WIN32(GetLastError());
    SetWindowPos(created, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
    const bool focused = GetFocus() == old;
    toolTip_.reset();
    Detach();
    hwnd_.reset(created); // the old window goes without raising anything
    Subclass(created);
    if (!toolTipText_.empty()) SetToolTipText(std::wstring(toolTipText_));
    if (focused) ::SetFocus(created);
    if (placedValid_) placed_.pixels = PlacedRect();
    return S_OK;
}

void Control::Destroy() {
    toolTip_.reset();
    if (windowless_) {
        auto& siblings = container_.windowless_;
        auto me = std::find(siblings.begin(), siblings.end(), this);
        if (me == siblings.end()) return;
        siblings.erase(me);
        if (container_.mouseOwner_ == this) {
            container_.mouseOwner_ = nullptr;
            if (GetCapture() == container_.ExistingWindow()) ::ReleaseCapture();
        }
        if (visible_) InvalidateArea(bounds_);
        return;
    }
    Detach();
    hwnd_.reset();
}

void Control::Detach() {
    HWND hwnd = hwnd_.get();
    if (!hwnd) return;
    RemovePropW(hwnd, ControlProperty());
    if (look_.classStyle == 0 &&
        GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Control::Dispatch)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(baseProc_));
        RemovePropW(hwnd, BaseProperty());
    }
    // Otherwise someone subclassed over us: the dispatcher stays in the chain and passes through.
}

void Control::OnFontChanged() {
    if (!hWnd()) return Invalidate();
    SendMessageW(hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
    Invalidate();
}

RECT Control::PlacedRect() const {
    if (windowless_) return bounds_;
    RECT r{};
    if (!hWnd()) return r;
    GetWindowRect(hWnd(), &r);
    HWND parent = GetAncestor(hWnd(), GA_PARENT);
    if (parent && parent != GetDesktopWindow())
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HRESULT Control::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) return CTL_E_INVALIDPROPERTYVALUE;
    const int x = Screen::TwipsToPixelsX(left), y = Screen::TwipsToPixelsY(top);
    const int cx = Screen::TwipsToPixelsX(width), cy = Screen::TwipsToPixelsY(height);
    if (windowless_) {
        SetBounds(RECT{x, y, x + cx, y + cy});
    } else if (hWnd()) {
        SetWindowPos(hWnd(), nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
    }
    placed_ = Placement{left, top, width, height, PlacedRect()};
    placedValid_ = true;
    return S_OK;
}

void Control::SetPixelSize(int width, int height) {
    if (!windowless_) {
        if (hWnd()) SetWindowPos(hWnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    SetBounds(RECT{bounds_.left, bounds_.top, bounds_.left + width, bounds_.top + height});
}

void Control::SetBounds(const RECT& bounds) {
    if (EqualRect(&bounds, &bounds_)) return; // a layout that runs again moves nothing
    if (visible_) InvalidateArea(bounds_);
    bounds_ = bounds;
    PlaceToolTip();
    if (visible_) InvalidateArea(bounds_);
}

int Control::Left() const {
    RECT r = PlacedRect();
    return placedValid_ && EqualRect(&r, &placed_.pixels) ? placed_.left : Screen::PixelsToTwipsX(r.left);
}
int Control::Top() const {
    RECT r = PlacedRect();
    return placedValid_ && EqualRect(&r, &placed_.pixels) ? placed_.top : Screen::PixelsToTwipsY(r.top);
}
int Control::Width() const {
    RECT r = PlacedRect();
    return placedValid_ && EqualRect(&r, &placed_.pixels) ? placed_.width
                                                          : Screen::PixelsToTwipsX(r.right - r.left);
}
int Control::Height() const {
    RECT r = PlacedRect();
    return placedValid_ && EqualRect(&r, &placed_.pixels) ? placed_.height
                                                          : Screen::PixelsToTwipsY(r.bottom - r.top);
}

bool Control::Visible() const {
    if (windowless_) return visible_;
    return hWnd() && (GetWindowLongW(hWnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetVisible(bool visible) {
    if (windowless_) {
        if (visible_ == visible) return;
        visible_ = visible;
        if (!visible && container_.mouseOwner_ == this) ReleaseCapture();
        InvalidateArea(bounds_);
        return;
    }
    if (!hWnd()) return;
    if (visible && GetAncestor(hWnd(), GA_PARENT) == GetDesktopWindow()) {
        // A floating box belongs to whatever window holds its container now (it may have been parked).
        if (HWND root = GetAncestor(container_.ContainerWindow(), GA_ROOT))
            SetWindowLongPtrW(hWnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(root));
        SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
        ShowWindow(hWnd(), visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool Control::Enabled() const {
    if (windowless_) return enabled_;
    return hWnd() && IsWindowEnabled(hWnd()) != FALSE;
}

void Control::SetEnabled(bool enabled) {
    if (windowless_) {
        enabled_ = enabled;
        if (!enabled && container_.mouseOwner_ == this) ReleaseCapture();
    } else if (hWnd()) {
        EnableWindow(hWnd(), enabled);
    }
    Invalidate();
}

std::wstring Control::Caption() const {
    if (windowless_) return caption_;
    if (!hWnd()) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hWnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hWnd(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::SetCaption(std::wstring_view caption) {
    if (!windowless_) {
        if (hWnd()) SetWindowTextW(hWnd(), std::wstring(caption).c_str());
        return;
    }
    if (caption == caption_) return;
    caption_ = caption;
    OnCaptionChanged();
    Invalidate();
}

HRESULT Control::SetFont(ComPtr<IFont> font) {
    if (!font) return E_POINTER;
    font_.Set(std::move(font));
    return S_OK;
}

void Control::SetBackColor(OleColor color) {
    backColor_ = color;
    Invalidate();
}

void Control::SetForeColor(OleColor color) {
    foreColor_ = color;
    Invalidate();
}

bool Control::ReceivesInput() const {
    if (windowless_ && !(enabled_ && visible_)) return false;
    HWND first = ShownOn();
    if (!first) return false;
    for (HWND w = first; w; w = GetParent(w)) {
        if (!IsWindowEnabled(w)) return false;
        if (!(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) break;
    }
    return true;
}

HRESULT Control::SetFocus() {
    if (windowless_ || !hWnd() || !IsWindowVisible(hWnd()) || !ReceivesInput()) return CTL_E_ILLEGALFUNCTIONCALL;
    ::SetFocus(hWnd());
    return GetFocus() == hWnd() ? S_OK : E_FAIL;
}

void Control::SetToolTipText(std::wstring_view text) {
    toolTipText_ = text;
    HWND owner = ShownOn();
    if (!owner) return;
    if (toolTipText_.empty()) {
        toolTip_.reset();
        return;
    }
    // A windowless control is a rectangle of its container's window.
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = windowless_ ? 0 : TTF_IDISHWND;
    tool.hwnd = owner;
    tool.uId = windowless_ ? reinterpret_cast<UINT_PTR>(this) : reinterpret_cast<UINT_PTR>(hWnd());
    tool.rect = bounds_;
    tool.lpszText = toolTipText_.data();
    if (toolTip_) {
        SendMessageW(toolTip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    static const bool loaded = [] {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)loaded;
    toolTip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ThisModule(), nullptr));
    if (toolTip_) SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Control::PlaceToolTip() {
    if (!toolTip_ || !windowless_) return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = container_.ExistingWindow();
    tool.uId = reinterpret_cast<UINT_PTR>(this);
    tool.rect = bounds_;
    SendMessageW(toolTip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

HCURSOR Control::Pointer() const {
    return mousePointer_ != 0 ? PointerCursor(mousePointer_, mouseIcon_) : nullptr;
}

HRESULT Control::SetMousePointer(short pointer) {
    if (pointer != 99 && (pointer < 0 || pointer > 15)) return CTL_E_INVALIDPROPERTYVALUE;
    mousePointer_ = pointer;
    return S_OK;
}

void Control::ZOrder(int position) {
    if (windowless_) {
        auto& siblings = container_.windowless_;
        siblings.erase(std::find(siblings.begin(), siblings.end(), this));
        siblings.insert(position == 0 ? siblings.begin() : siblings.end(), this);
        Invalidate();
        return;
    }
    if (!hWnd()) return;
    const bool floating = GetAncestor(hWnd(), GA_PARENT) == GetDesktopWindow();
    HWND after = position == 0 ? (floating ? HWND_TOPMOST : HWND_TOP) : HWND_BOTTOM;
    SetWindowPos(hWnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

bool Control::TabStop() const {
    return !windowless_ && hWnd() && (GetWindowLongW(hWnd(), GWL_STYLE) & WS_TABSTOP) != 0;
}

void Control::SetTabStop(bool tabStop) {
    if (!hWnd()) return;
    LONG style = GetWindowLongW(hWnd(), GWL_STYLE);
    SetWindowLongW(hWnd(), GWL_STYLE, tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
}

short Control::EdgeStyle() const {
    if (windowless_) return edge_ ? 1 : 0;
    return hWnd() && (GetWindowLongW(hWnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 1 : 0;
}

HRESULT Control::SetEdgeStyle(short borderStyle) {
    if (borderStyle < 0 || borderStyle > 1) return CTL_E_INVALIDPROPERTYVALUE;
    if (windowless_) {
        edge_ = borderStyle == 1;
        Invalidate();
        return S_OK;
    }
    if (!hWnd()) return S_OK;
    LONG ex = GetWindowLongW(hWnd(), GWL_EXSTYLE);
    SetWindowLongW(hWnd(), GWL_EXSTYLE, borderStyle ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE));
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Invalidate();
    return S_OK;
}

void Control::Refresh() {
    HWND window = ShownOn();
    if (!window) return;
    Invalidate();
    UpdateWindow(window);
}

void Control::SetCapture() {
    TakeMouse(false); // the owner's now, to release when it decides
}

void Control::TakeMouse(bool implicit) {
    HWND window = ShownOn();
    if (!window) return;
    ::SetCapture(window);
    if (windowless_) container_.mouseOwner_ = this;
    implicitCapture_ = implicit;
}

void Control::ReleaseCapture() {
    if (HasCapture()) ::ReleaseCapture();
}

bool Control::HasCapture() const {
    return ShownOn() && GetCapture() == ShownOn() && (!windowless_ || container_.mouseOwner_ == this);
}

HWND Control::ShownOn() const {
    return windowless_ ? container_.ExistingWindow() : hWnd();
}

void Control::Invalidate() {
    if (windowless_) {
        if (visible_) InvalidateArea(bounds_);
    } else if (hWnd()) {
        InvalidateRect(hWnd(), nullptr, TRUE);
    }
}

void Control::InvalidateArea(const RECT& area) const {
    if (HWND window = container_.ExistingWindow(); window && !IsRectEmpty(&area))
        InvalidateRect(window, &area, TRUE);
}
