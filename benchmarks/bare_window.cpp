// What Palix's start-up is measured against (startup_benchmark): a window of about Palix's size with a menu
// bar of two menus, one push button and 15 labels, made with the system's own classes and nothing else.
#include <windows.h>

namespace {
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BareWindow";
    if (!RegisterClassExW(&wc)) return 1;

    HMENU bar = CreateMenu(), game = CreatePopupMenu(), help = CreatePopupMenu();
    AppendMenuW(game, MF_STRING, 1, L"&Reset");
    AppendMenuW(game, MF_STRING, 2, L"E&xit");
    AppendMenuW(help, MF_STRING, 3, L"&About");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(game), L"&Game");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    HWND window = CreateWindowExW(0, L"BareWindow", L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 610, 380, nullptr, bar, instance, nullptr);
    if (!window) return 1;
    CreateWindowExW(0, L"BUTTON", L"Next card", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 480, 208, 81, 25,
                    window, reinterpret_cast<HMENU>(100), instance, nullptr);
    for (int i = 0; i < 15; ++i)
        CreateWindowExW(0, L"STATIC", L"Label", WS_CHILD | WS_VISIBLE, 8 + i / 8 * 200, 8 + i % 8 * 32, 180,
                        17, window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(200 + i)), instance,
                        nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
