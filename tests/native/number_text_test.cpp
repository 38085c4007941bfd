#include "number_text.h"

#include <climits>
#include <vector>

#include <gtest/gtest.h>

namespace cardtest {
namespace {

TEST(GeneralNumberText, RoundsToFifteenDigits) {
    const std::vector<std::pair<double, const char*>> cases = {
        {-0.0, "0"},
        {7.0 / 25 * 100, "28"},
        {2.0 / 3 * 100, "66.6666666666667"},
        {-1200, "-1200"},
        {1e-20, "0.00000000000000000001"},
        {99.99999999999999, "100"},
        // From 1E+15 on with an exponent, also when rounding carries up to it.
        {999999999999999.4, "999999999999999"},
        {999999999999999.9, "1E+15"},
        {-2.5e100, "-2.5E+100"},
        {123456789012345678.0, "1.23456789012346E+17"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(GeneralNumberText(value), text) << value;
}

TEST(IntegerText, IsPlainDecimal) {
    EXPECT_EQ(IntegerText(25), "25");
    EXPECT_EQ(IntegerText(INT_MIN), "-2147483648");
}

} // namespace
} // namespace cardtest
