// The texts that numbers are shown and written as.
#pragma once

#include <string>

namespace cardtest {

// At most 15 significant digits, no trailing zeros or point, a leading zero below 1; from 1E+15 on
// a mantissa and an exponent of at least two digits. The decimal separator is always '.'.
// Examples: 28, 33.3333333333333, 0.5, 2.98023436747181E+17.
std::string GeneralNumberText(double value);

// Plain decimal digits, a minus sign only when negative: "0", "25", "-3".
std::string IntegerText(int value);

} // namespace cardtest
