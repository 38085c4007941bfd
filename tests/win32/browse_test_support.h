// What the browse-box tests share: late-bound reads, real key presses, saving to a bag, reading pixels.
#pragma once
#include "com_test_support.h"
#include "property_bag.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace test {

inline std::wstring TextProperty(IUnknown* object, const wchar_t* name) {
    Variant v;
    EXPECT_EQ(GetProperty(object, name, v), S_OK) << Narrow(name);
    return v.type() == VT_BSTR ? std::wstring(v.get()->bstrVal, SysStringLen(v.get()->bstrVal)) : L"?";
}

inline LONG Number(IUnknown* object, const wchar_t* name) {
    Variant v, n;
    EXPECT_EQ(GetProperty(object, name, v), S_OK) << Narrow(name);
    EXPECT_EQ(v.As(VT_I4, n), S_OK);
    return n.get()->lVal;
}

inline ComPtr<IFont> FontOf(IUnknown* object) {
    Variant v;
    EXPECT_EQ(GetProperty(object, L"Font", v), S_OK);
    ComPtr<IFont> font;
    if (v.type() == VT_DISPATCH && v.get()->pdispVal) v.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&font));
    return font;
}

inline std::wstring NameOf(IFont* font) {
    Bstr name;
    if (font) font->get_Name(name.put());
    return name.str();
}

// The keys an object saves, in the order it writes them.
inline std::vector<std::wstring> SavedKeys(IUnknown* object, ComPtr<MemoryPropertyBag>* saved = nullptr) {
    ComPtr<IPersistPropertyBag> persist;
    ComPtr<MemoryPropertyBag> bag;
    EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    EXPECT_EQ(MemoryPropertyBag::Create({}, &bag), S_OK);
    EXPECT_EQ(persist->Save(bag.Get(), TRUE, TRUE), S_OK);
    std::vector<std::wstring> keys;
    for (const auto& e : bag->entries())
        keys.emplace_back(e.key.begin(), e.key.end());
    if (saved) *saved = bag;
    return keys;
}

inline HRESULT LoadFromBag(IUnknown* object, MemoryPropertyBag* bag) {
    ComPtr<IPersistPropertyBag> persist;
    RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&persist)));
    return persist->Load(bag, nullptr);
}

// Real keys through the system's queue to the window with the focus; the held keys go down first.
inline void PressKeys(std::initializer_list<WORD> held, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD k, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = k;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(k, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (k == VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(in);
    };
    for (WORD k : held)
        add(k, false);
    add(key, false);
    add(key, true);
    for (auto k = std::rbegin(held); k != std::rend(held); ++k)
        add(*k, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump();
}

// A colour as a window surface of this screen stores it.
inline COLORREF Shown(COLORREF color) {
    HDC screen = GetDC(nullptr);
    COLORREF shown = GetNearestColor(screen, color);
    ReleaseDC(nullptr, screen);
    return shown;
}

// A window's client area as drawn, read back from its surface.
class Snapshot {
public:
    explicit Snapshot(HWND hwnd) {
        Pump();
        RECT client;
        GetClientRect(hwnd, &client);
        width_ = client.right;
        HDC source = GetDC(hwnd);
        HDC memory = CreateCompatibleDC(source);
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        GdiFlush();
        auto* raw = static_cast<const DWORD*>(bits);
        for (int i = 0; i < client.right * client.bottom; ++i)
            pixels_.push_back(RGB(GetBValue(raw[i]), GetGValue(raw[i]), GetRValue(raw[i])));
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(hwnd, source);
    }
    COLORREF At(int x, int y) const { return pixels_.at(size_t(y * width_ + x)); }

private:
    int width_ = 0;
    std::vector<COLORREF> pixels_;
};

// A child's place in its parent's client area, in pixels.
inline RECT PlaceOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace test
