// What the browse-box tests share: records compared whole, real key presses, and the one key that browses.
#pragma once
#include "control_test_support.h"

#include <cstring>
#include <initializer_list>
#include <iterator>

namespace test {

// A record byte for byte; both in hexadecimal when they differ.
template <class Record> testing::AssertionResult SameRecord(const Record& actual, const Record& expected) {
    auto hex = [](const Record& r) { return Hex(std::string(reinterpret_cast<const char*>(&r), sizeof r)); };
    if (memcmp(&actual, &expected, sizeof actual) == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << hex(actual) << "\n  expected\n" << hex(expected);
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

// In the child with the focus, the down arrow browses with Alt alone held; dialogs() counts the dialogs
// opened.
inline void ExpectAltDownAloneBrowses(HWND child, const std::function<size_t()>& dialogs) {
    SetFocus(child);
    ASSERT_EQ(GetFocus(), child);
    const size_t before = dialogs();
    PressKeys({}, VK_DOWN);
    PressKeys({VK_CONTROL, VK_MENU}, VK_DOWN);
    PressKeys({VK_SHIFT, VK_MENU}, VK_DOWN);
    EXPECT_EQ(dialogs(), before);
    PressKeys({VK_MENU}, VK_DOWN);
    EXPECT_EQ(dialogs(), before + 1);
}

} // namespace test
