// Number texts of any double and int, read back by the statistics file's strict reader. Fifteen
// significant digits are within a double's precision, so the number read prints as the same text, and
// integers below 1E+15 come back exactly. A file field must read back for every finite value.
#include "number_text.h"
#include "score_file.h"

#include <algorithm>
#include <cmath>

#include "fuzz_check.h"

using namespace cardtest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto value = Take<double>(data, size, 0);
    const auto integer = Take<int>(data, size, sizeof value);

    FUZZ_CHECK(StrictNumber(IntegerText(integer)) == integer);

    if (!std::isfinite(value)) return 0; // "NaN" and "Infinity" are captions, never file contents
    const std::string field = PrintField(value);
    const std::optional<double> written = StrictNumber(field);
    FUZZ_CHECK(written && std::isfinite(*written) && PrintField(*written) == field);
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) FUZZ_CHECK(*written == value);

    const std::string text = GeneralNumberText(value);
    const std::optional<double> read = StrictNumber(text);
    FUZZ_CHECK(read);
    if (!std::isfinite(*read)) {
        // Rounded to 15 digits, only the very largest doubles pass the range.
        FUZZ_CHECK(std::fabs(value) > 1.79769313486231e308);
        return 0;
    }
    FUZZ_CHECK(GeneralNumberText(*read) == text);

    // The shape: an exponent exactly from 1E+15 on, at most 15 significant digits, no trailing zero
    // after a point.
    const size_t e = text.find('E');
    FUZZ_CHECK((e != std::string::npos) == (std::fabs(*read) >= 1e15));
    std::string digits;
    std::copy_if(text.begin(), text.begin() + std::min(e, text.size()), std::back_inserter(digits),
                 [](char c) { return c >= '0' && c <= '9'; });
    FUZZ_CHECK(digits.size() - std::min(digits.find_first_not_of('0'), digits.size()) <= 15);
    const std::string mantissa = text.substr(0, e);
    FUZZ_CHECK(mantissa.find('.') == std::string::npos || (mantissa.back() != '0' && mantissa.back() != '.'));
    return 0;
}
