// What the browse-box tests share: late-bound reads, real key presses, saving to a bag, reading pixels.
#pragma once
#include "com_test_support.h"
#include "persist/property_bag.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace test {

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

} // namespace test
