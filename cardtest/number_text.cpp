#include "number_text.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string_view>

namespace cardtest {

std::string GeneralNumberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0) return "0"; // also for -0

    // Rounding to 15 significant digits first decides the exponent, so that a carry
    // (999999999999999.9 -> 1E+15) lands in the right form.
    // printf's correctly rounded form rather than std::to_chars, whose tables would double Palix's size; on
    // Windows the system C library's, which costs Palix nothing (the linked-in one costs 25 KB).
    wchar_t wide[32];
#ifdef _WIN32
    const int length = _snwprintf(wide, 32, L"%.14e", std::fabs(value)); // three exponent digits: read as a number
#else
    const int length = std::swprintf(wide, 32, L"%.14e", std::fabs(value));
#endif
    const std::string narrow(wide, wide + (length > 0 ? length : 0));
    const std::string_view scientific(narrow); // d.(14)e[+-]xx
    const size_t e = scientific.find('e');
    const int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
    std::string digits = std::string(1, scientific[0]) + std::string(scientific.substr(2, e - 2));
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string text = value < 0 ? "-" : "";
    if (exponent >= 15) {
        text += digits[0];
        if (digits.size() > 1) text += "." + digits.substr(1);
        text += "E+" + std::to_string(exponent); // never fewer than two digits here
    } else if (exponent >= 0) {
        const size_t whole = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            text += digits + std::string(whole - digits.size(), '0');
        } else {
            text += digits.substr(0, whole) + "." + digits.substr(whole);
        }
    } else {
        text += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
    return text;
}

std::string IntegerText(int value) {
    return std::to_string(value);
}

} // namespace cardtest
