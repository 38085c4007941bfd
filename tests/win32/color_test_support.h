// What the colour tests share: a recording colour dialog, input posted through the form's loop, pixels.
#pragma once
#include "control_test_support.h"

#include <array>
#include <tuple>
#include <utility>
#include <vector>

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

// A dialog record's fields but the custom colours' address, to be compared whole.
inline auto Fields(const CHOOSECOLORW& r) {
    return std::make_tuple(r.lStructSize, r.hwndOwner, r.hInstance, r.rgbResult, r.Flags, r.lCustData,
                           r.lpfnHook != nullptr, r.lpTemplateName);
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

// Dots of a focus rectangle on the row `inset` pixels in, where nothing else differs from the ground.
inline int FocusDots(HWND hwnd, int inset, COLORREF ground) {
    RECT client;
    GetClientRect(hwnd, &client);
    int dots = 0;
    for (int x = inset; x < client.right - inset; ++x)
        dots += PixelAt(hwnd, x, inset) != ground;
    return dots;
}

// SelectedColor as its bits: an OLE colour, or a row of the list.
inline OLE_COLOR SelectedColor(IUnknown* control) {
    Variant v, n;
    EXPECT_EQ(GetProperty(control, L"SelectedColor", v), S_OK);
    EXPECT_EQ(v.As(VT_UI4, n), S_OK);
    return n.get()->ulVal;
}

// The drop-down: the thread's picture box that floats as a top-level window.
inline HWND FloatingBox() {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"RuntimePictureBox", nullptr)) != nullptr;)
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) return w;
    return nullptr;
}

// A colour control on a shown form of ours at 50, 50 pixels, the colour dialog recorded and answered.
class ColorControlTest : public HostedControl {
protected:
    void Host(HRESULT (*create)(REFIID, void**), const IID& events, int width, int height) {
        HostedControl::Host(create, events, &platform, L"Color1", width, height);
        SetWindowPos(form->hWnd(), nullptr, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Settle();
    }
    size_t Clicks() const { return sink.events.size(); }
    OLE_COLOR Selected() const { return SelectedColor(Object()); }
    // The colour selected and the number of clicks raised, compared together.
    std::pair<unsigned, unsigned> Outcome() const { return {Selected(), unsigned(Clicks())}; }

    ColorDialogPlatform platform;
};

} // namespace test
