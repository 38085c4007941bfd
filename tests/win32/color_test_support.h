// What the colour controls' tests share: a colour dialog that records its record and answers like a user,
// input posted to real windows and run through the host form's loop, pixels read back.
#pragma once
#include "com_test_support.h"
#include "host/control_site.h"
#include "host/form.h"
#include "persist/property_bag.h"

#include <array>
#include <memory>
#include <vector>

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

namespace test {

class ColorDialogPlatform : public RecordingPlatform {
public:
    struct Call {
        CHOOSECOLORW record;
        std::array<COLORREF, 16> custom; // lpCustColors when the dialog opened
        bool popupVisible;
    };
    std::vector<Call> calls;
    BOOL answer = FALSE;
    COLORREF chosen = 0;
    HWND popup = nullptr;

    BOOL ChooseColor(CHOOSECOLORW* record) override {
        Call call{*record, {}, popup && IsWindowVisible(popup)};
        if (record->lpCustColors) {
            std::copy(record->lpCustColors, record->lpCustColors + 16, call.custom.begin());
            record->lpCustColors[0] = 0x123456; // a custom colour the user defines, to be forgotten
        }
        calls.push_back(call);
        if (answer) record->rgbResult = chosen;
        return answer;
    }
};

// The thread's pending messages, through the form first as the host's loop runs them.
inline void Settle() {
    for (int round = 0; round < 3; ++round, Sleep(1))
        DoEvents();
}

inline LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

inline void Post(HWND hwnd, UINT message, WPARAM wParam, int x, int y) {
    PostMessageW(hwnd, message, wParam, At(x, y));
    Settle();
}

inline void Press(HWND hwnd, int x, int y) {
    Post(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Post(hwnd, WM_LBUTTONUP, 0, x, y);
}

// A key typed with Shift (1), Ctrl (2) and Alt (4) held as the thread's key state shows them.
inline void Key(HWND hwnd, WORD key, short shift = 0) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = (shift & 1) ? 0x80 : 0;
    state[VK_CONTROL] = (shift & 2) ? 0x80 : 0;
    state[VK_MENU] = (shift & 4) ? 0x80 : 0;
    SetKeyboardState(state);
    const bool alt = shift & 4;
    PostMessageW(hwnd, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) | 1 : 1);
    PostMessageW(hwnd, alt ? WM_SYSKEYUP : WM_KEYUP, key, (alt ? (1 << 29) : 0) | 0xC0000001);
    Settle();
    state[VK_SHIFT] = state[VK_CONTROL] = state[VK_MENU] = 0;
    SetKeyboardState(state);
}

inline COLORREF PixelAt(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

inline BOOL CALLBACK KeepFloatingBox(HWND hwnd, LPARAM found) {
    wchar_t cls[64];
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpW(cls, L"RuntimePictureBox") == 0) *reinterpret_cast<HWND*>(found) = hwnd;
    return TRUE;
}

// The drop-down: the thread's picture box that floats as a top-level window.
inline HWND FloatingBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), KeepFloatingBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A control's properties as a container saves them, and a new control loaded from them.
inline ComPtr<MemoryPropertyBag> Saved(IUnknown* object) {
    ComPtr<IPersistPropertyBag> persist;
    ComPtr<MemoryPropertyBag> bag;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&persist))) ||
        FAILED(MemoryPropertyBag::Create({}, &bag)) || FAILED(persist->Save(bag.Get(), TRUE, TRUE)))
        return nullptr;
    return bag;
}
inline ComPtr<IUnknown> Loaded(HRESULT (*create)(REFIID, void**), MemoryPropertyBag* bag) {
    ComPtr<IUnknown> object;
    ComPtr<IPersistPropertyBag> persist;
    if (FAILED(create(IID_PPV_ARGS(&object))) || FAILED(object.As(&persist)) ||
        FAILED(bag ? persist->Load(bag, nullptr) : persist->InitNew()))
        return nullptr;
    return object;
}

// One control, made by create, placed on a shown form at 40, 40 pixels, with its events recorded.
class HostedColorControl {
public:
    HostedColorControl(HRESULT (*create)(REFIID, void**), REFIID events, int width, int height) {
        SetWindowPos(form.hWnd(), nullptr, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        site = std::make_unique<ActiveXControl>(form, L"Color1");
        site->Move(600, 600, width, height);
        ComPtr<IUnknown> object;
        created = SUCCEEDED(create(IID_PPV_ARGS(&object))) && SUCCEEDED(site->Create(object.Get(), {})) &&
                  SUCCEEDED(sink.Connect(site->Object(), events));
        ShowWindow(form.hWnd(), SW_SHOW);
    }
    ~HostedColorControl() {
        sink.Disconnect();
        site.reset();
    }
    IUnknown* object() const { return site->Object(); }
    HWND hWnd() const { return site->hWnd(); }

    HostForm form;
    std::unique_ptr<ActiveXControl> site;
    EventSink sink;
    bool created = false;
};

} // namespace test
