// The double nearest to a decimal number (ties to the even one), from exact integer arithmetic.
#pragma once

#include <string_view>

namespace cardtest {

// digits: the significant digits d1 d2 ..., d1 not 0; the value is d1.d2... x 10^exponent. Infinity beyond
// the largest double, 0 below half the smallest. Meant for the few hundred digits that decide a double and
// exponents within a few hundred: the work grows with both.
double NearestDouble(std::string_view digits, int exponent);

} // namespace cardtest
