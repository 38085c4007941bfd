#include "host/form.h"

#include "services/screen.h"

#include <algorithm>
#include <cwctype>

namespace {
constexpr wchar_t kFormClass[] = L"RuntimeForm";

std::vector<Form*>& LiveForms() {
    static std::vector<Form*> forms;
    return forms;
}

// DoEvents shows a message to each live form, as the form's own loop would.
bool PreviewThroughForms(MSG& msg) {
    for (Form* form : std::vector<Form*>(LiveForms()))
        if (std::find(LiveForms().begin(), LiveForms().end(), form) != LiveForms().end() &&
            form->PreTranslateMessage(msg))
            return true;
    return false;
}

void RegisterFormClass(WNDPROC proc) {
    static const bool registered = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kFormClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP || message == WM_CHAR;
}

short ShiftState(const MSG& msg) {
    bool alt = GetKeyState(VK_MENU) < 0 || ((msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP) &&
                                            (msg.lParam & (1 << 29)) != 0);
    return static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (alt ? 4 : 0));
}
} // namespace

Form::Form() : font_(MakeFont(FontSpec{})) {
    RegisterFormClass(&Form::WindowProc);
    hwnd_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this));
    LiveForms().push_back(this);
    SetMessagePreview(&PreviewThroughForms);
}

Form::~Form() {
    auto& forms = LiveForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (IsWindow(hWnd())) SetWindowLongPtrW(hWnd(), GWLP_USERDATA, 0);
}

void Form::SetCaption(std::wstring_view caption) {
    SetWindowTextW(hWnd(), std::wstring(caption).c_str());
}

void Form::SetClientSize(int width, int height) {
    RECT r{0, 0, Screen::TwipsToPixelsX(width), Screen::TwipsToPixelsY(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_STYLE)), GetMenu(hWnd()) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
    SetWindowPos(hWnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

void Form::SetBackColor(OleColor color) {
    backColor_ = color;
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void Form::SetIcon(int iconResource) {
    auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource),
                                             IMAGE_ICON, GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                             0));
    };
    bigIcon_.reset(load(SM_CXICON, SM_CYICON));
    smallIcon_.reset(load(SM_CXSMICON, SM_CYSMICON));
    SendMessageW(hWnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

HMENU Form::MenuBar() {
    HMENU bar = GetMenu(hWnd());
    if (!bar) {
        bar = CreateMenu();
        SetMenu(hWnd(), bar); // the window owns it from here on
    }
    return bar;
}

namespace {
std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND w = parent ? GetWindow(parent, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
        children.push_back(w);
    return children;
}
} // namespace

std::vector<Control*> Form::Controls() const {
    std::vector<Control*> controls;
    for (HWND w : ChildWindows(hWnd()))
        if (Control* control = Control::FromHandle(w)) controls.push_back(control);
    const auto& windowless = WindowlessChildren();
    controls.insert(controls.end(), windowless.begin(), windowless.end());
    return controls;
}

bool Form::PressLabelAccessKey(const MSG& msg) {
    if (msg.message != WM_SYSCHAR) return false;
    const auto key = static_cast<wchar_t>(towlower(static_cast<wint_t>(msg.wParam)));
    for (Control* label : WindowlessChildren()) {
        if (!label->Visible() || !label->Enabled() || label->AccessKey() != key) continue;
        // A label takes no focus: the control declared after it does.
        for (Control* next : Controls())
            if (next->DeclaredAfter(*label) && next->TabStop() && next->SetFocus() == S_OK) return true;
        return true;
    }
    return false;
}

void Form::PlaceInTabOrder(HWND child, HWND after) {
    if (!child || GetParent(child) != hWnd()) return;
    SetWindowPos(child, after ? after : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Accessible children 1 to n are the windowless ones.
Control* Form::WindowlessChild(long child) const {
    const auto& windowless = WindowlessChildren();
    return child > 0 && size_t(child) <= windowless.size() ? windowless[size_t(child) - 1] : nullptr;
}

AccessibleElement Form::Describe(long child) const {
    if (Control* windowless = WindowlessChild(child)) return windowless->Describe();
    AccessibleElement element;
    if (child != CHILDID_SELF) return element; // a window: it describes itself
    wchar_t caption[256] = L"";
    GetWindowTextW(hWnd(), caption, 256);
    element.name = caption;
    element.state = WindowState(hWnd());
    RECT client{};
    GetClientRect(hWnd(), &client);
    element.screen = ClientToScreenRect(hWnd(), client);
    return element;
}

long Form::ChildCount() const {
    return static_cast<long>(WindowlessChildren().size() + ChildWindows(hWnd()).size());
}

HWND Form::ChildWindow(long child) const {
    const auto windows = ChildWindows(hWnd());
    const long index = child - 1 - static_cast<long>(WindowlessChildren().size());
    return index >= 0 && size_t(index) < windows.size() ? windows[size_t(index)] : nullptr;
}

HRESULT Form::DoDefaultAction(long child) {
    Control* windowless = WindowlessChild(child);
    return windowless ? windowless->DoDefaultAction() : DISP_E_MEMBERNOTFOUND;
}

void Form::AddMessageFilter(MessageFilter& filter) {
    if (std::find(filters_.begin(), filters_.end(), &filter) == filters_.end()) filters_.push_back(&filter);
}

void Form::RemoveMessageFilter(MessageFilter& filter) {
    filters_.erase(std::remove(filters_.begin(), filters_.end(), &filter), filters_.end());
}

bool Form::PreviewFormKey(MSG& msg) {
    if (msg.message == WM_CHAR) {
        short keyAscii = static_cast<short>(msg.wParam);
        if (KeyPress) KeyPress(keyAscii);
        msg.wParam = static_cast<unsigned short>(keyAscii);
        return keyAscii == 0;
    }
    short keyCode = static_cast<short>(msg.wParam);
    const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    auto& handler = down ? KeyDown : KeyUp;
    if (handler) handler(keyCode, ShiftState(msg));
    msg.wParam = static_cast<unsigned short>(keyCode);
    return keyCode == 0;
}

bool Form::PressDefaultOrCancel(const MSG& msg, bool& passOn) {
    passOn = false;
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    HWND focus = GetFocus();
    if (focus) {
        MSG copy = msg;
        LRESULT code = SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
        if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false; // the control takes the key itself
    }
    CommandButton* target = nullptr;
    if (msg.wParam == VK_RETURN) target = dynamic_cast<CommandButton*>(Control::FromHandle(focus));
    for (Control* control : Controls()) {
        if (target) break;
        auto* button = dynamic_cast<CommandButton*>(control);
        if (button && (msg.wParam == VK_RETURN ? button->Default() : button->Cancel())) target = button;
    }
    if (target && target->Press()) return true;
    // Nobody to press: the key goes to the control as typed, not to the dialog manager, which would invent
    // a command for it.
    passOn = true;
    return false;
}

bool Form::PreTranslateMessage(MSG& msg) {
    if (!hWnd() || !msg.hwnd || (msg.hwnd != hWnd() && !IsChild(hWnd(), msg.hwnd))) return false;
    try {
        for (MessageFilter* filter : std::vector<MessageFilter*>(filters_))
            if (filter->PreTranslate(msg)) return true;
        if (PressLabelAccessKey(msg)) return true;
        if (IsKeyMessage(msg.message)) {
            if (KeyPreview && PreviewFormKey(msg)) return true;
            bool passOn = false;
            if (PressDefaultOrCancel(msg, passOn)) return true;
            if (passOn) return false;
        }
    } catch (...) {
        return true; // a handler that failed has consumed the message
    }
    return IsWindow(hWnd()) && IsDialogMessageW(hWnd(), &msg) != FALSE;
}

int Form::Run(int showCommand) {
    Load();
    if (ended_) return 0;
    ShowWindow(hWnd(), showCommand);
    UpdateWindow(hWnd());
    if (HWND first = GetNextDlgTabItem(hWnd(), nullptr, FALSE)) ::SetFocus(first);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Form::End() {
    ended_ = true;
    hwnd_.reset();
}

void Form::PaintBackground(HDC dc) {
    RECT r;
    GetClientRect(hWnd(), &r);
    SetDCBrushColor(dc, ResolveColor(backColor_));
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return form->HandleMessage(hwnd, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system; a handler that cannot finish leaves the form as it was.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT Form::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteWindowlessMouse(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) {
            auto item = menuItems_.find(LOWORD(wParam));
            if (item != menuItems_.end() && item->second->Click) item->second->Click();
            return 0;
        }
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(hwnd, &ps)) PaintWindowless(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        PaintWindowless(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ACTIVATE:
        // Like a dialog, give the focus back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // The dialog manager moves the focus this way (Tab, access keys); a form is no dialog and does it.
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0);
        if (target && IsChild(hwnd, target)) ::SetFocus(target);
        return 0;
    }
    case WM_GETOBJECT:
        if (AnswerGetObject(hwnd, wParam, lParam, *this, result)) return result;
        break;
    case WM_CLOSE:
        End();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

MenuItem::MenuItem(Form& form, std::wstring_view caption) : form_(form) {
    submenu_ = CreatePopupMenu();
    AppendMenuW(form.MenuBar(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu_),
                std::wstring(caption).c_str());
    DrawMenuBar(form.hWnd());
}

MenuItem::MenuItem(MenuItem& parent, std::wstring_view caption)
    : form_(parent.form_), id_(form_.nextMenuId_++) {
    AppendMenuW(parent.submenu_, MF_STRING, id_, std::wstring(caption).c_str());
    form_.menuItems_[id_] = this;
}

MenuItem::~MenuItem() {
    if (id_) form_.menuItems_.erase(id_);
}
