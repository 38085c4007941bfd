#include "form.h"

#include "screen.h"

namespace {
constexpr wchar_t kFormClass[] = L"RuntimeForm";

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
} // namespace

Form::Form() : font_(MakeFont(FontSpec{})) {
    RegisterFormClass(&Form::WindowProc);
    hwnd_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr),
                                this));
}

Form::~Form() {
    if (IsWindow(hWnd())) SetWindowLongPtrW(hWnd(), GWLP_USERDATA, 0);
}

void Form::SetCaption(std::wstring_view caption) { SetWindowTextW(hWnd(), std::wstring(caption).c_str()); }

void Form::SetClientSize(int width, int height) {
    RECT r{0, 0, Screen::TwipsToPixelsX(width), Screen::TwipsToPixelsY(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_STYLE)), GetMenu(hWnd()) != nullptr,
                       static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
    SetWindowPos(hWnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

void Form::SetBackColor(OleColor color) {
    backColor_ = color;
    backBrush_.reset();
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void Form::SetIcon(int iconResource) {
    auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
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

int Form::Run(int showCommand) {
    Load();
    if (ended_) return 0;
    ShowWindow(hWnd(), showCommand);
    UpdateWindow(hWnd());
    if (HWND first = GetNextDlgTabItem(hWnd(), nullptr, FALSE)) ::SetFocus(first);

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsWindow(hWnd()) && IsDialogMessageW(hWnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void Form::End() {
    ended_ = true;
    hwnd_.reset();
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
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) {
            auto item = menuItems_.find(LOWORD(wParam));
            if (item != menuItems_.end() && item->second->Click) item->second->Click();
            return 0;
        }
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    case WM_CTLCOLORSTATIC:
        if (Control::Reflect(message, wParam, lParam, result)) return result;
        break;
    case WM_ERASEBKGND: {
        if (!backBrush_) backBrush_.reset(CreateSolidBrush(ResolveColor(backColor_)));
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, backBrush_.get());
        return 1;
    }
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

MenuItem::MenuItem(MenuItem& parent, std::wstring_view caption) : form_(parent.form_), id_(form_.nextMenuId_++) {
    AppendMenuW(parent.submenu_, MF_STRING, id_, std::wstring(caption).c_str());
    form_.menuItems_[id_] = this;
}

MenuItem::~MenuItem() {
    if (id_) form_.menuItems_.erase(id_);
}
