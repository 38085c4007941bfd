#include "score_file.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nearest_double.h"
#include "number_text.h"

namespace cardtest {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest leading part of `text` that forms a number: an optional sign, digits with an
// optional decimal point (at least one digit in all), and an exponent only when it has digits.
size_t NumberLength(std::string_view text) {
    size_t i = 0;
    auto skipDigits = [&] {
        const size_t start = i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = skipDigits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += skipDigits();
    }
    if (digits == 0) return 0;
    const size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (skipDigits() > 0) return i;
    }
    return end;
}

// Decimal exponent of the leading digit of an unsigned number text: exact within ±400, and beyond that
// at least as far out.
long long DecimalExponent(std::string_view number) {
    // An exponent beyond the text's length outweighs wherever the digits stand, so saturating there keeps
    // the sign of the sum right for mantissas of any length.
    const long long limit = static_cast<long long>(number.size()) + 400;
    const size_t e = number.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        size_t i = e + 1;
        const bool negative = number[i] == '-';
        if (number[i] == '+' || negative) ++i;
        for (; i < number.size(); ++i)
            exponent = std::min(exponent * 10 + (number[i] - '0'), limit);
        if (negative) exponent = -exponent;
    }
    const std::string_view mantissa = number.substr(0, e);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    return exponent + (first < point ? static_cast<long long>(point - first) - 1
                                     : -static_cast<long long>(first - point));
}

// The value of a text that NumberLength accepted whole.
double NumberValue(std::string_view number) {
    const bool negative = number[0] == '-';
    if (number[0] == '+' || negative) number.remove_prefix(1);
    // The nearest double from the significant digits and the exponent of the first one, rather than
    // std::from_chars and its tables, a tenth of Palix. 800 digits decide the nearest double: any further
    // ones count only as being there, as a 1 after them.
    constexpr size_t kDigitsThatDecide = 800;
    std::string digits;
    bool more = false;
    for (char c : number.substr(0, number.find_first_of("eE"))) {
        if (!IsDigit(c) || (digits.empty() && c == '0')) continue;
        if (digits.size() < kDigitsThatDecide) {
            digits += c;
        } else {
            more = more || c != '0';
        }
    }
    if (more) digits += '1';
    double value = 0;
    const long long exponent = digits.empty() ? 0 : DecimalExponent(number);
    if (exponent > 400) {
        value = std::numeric_limits<double>::infinity();
    } else if (!digits.empty() && exponent >= -400) {
        value = NearestDouble(digits, static_cast<int>(exponent));
    }
    return negative ? -value : value;
}

// Reads one line: it ends at a CR, and an LF right after that CR belongs to the line end. A lone LF
// is part of the line. nullopt at the end of the data.
std::optional<std::string_view> ReadLine(std::string_view& rest) {
    if (rest.empty()) return std::nullopt;
    const size_t cr = std::min(rest.find('\r'), rest.size());
    const std::string_view line = rest.substr(0, cr);
    rest.remove_prefix(cr);
    if (!rest.empty()) rest.remove_prefix(rest.size() > 1 && rest[1] == '\n' ? 2 : 1);
    return line;
}

} // namespace

std::optional<double> StrictNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || NumberLength(text) != text.size()) return std::nullopt;
    return NumberValue(text);
}

double LenientNumber(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (!IsBlank(c)) compact += c;
    }
    const size_t length = NumberLength(compact);
    return length == 0 ? 0.0 : NumberValue(std::string_view(compact).substr(0, length));
}

ScoreLoad LoadScore(std::optional<std::string_view> fileBytes) {
    ScoreLoad load;
    if (!fileBytes) {
        // No file yet: start from no games instead of refusing to start.
        load.gamesPlayed = load.average = "0";
        return load;
    }
    std::string_view rest = *fileBytes;
    const auto totalLine = ReadLine(rest);
    const auto gamesLine = ReadLine(rest);
    if (totalLine) load.lines.totalHitsText = *totalLine;
    if (!gamesLine) {
        load.error = kInputPastEndOfFile;
        return load;
    }
    load.lines.gamesText = *gamesLine;

    const auto games = StrictNumber(load.lines.gamesText);
    if (!games) {
        load.error = kTypeMismatch;
        return load;
    }
    if (!std::isfinite(*games)) {
        load.error = kOverflow;
        return load;
    }
    if (*games == 0) {
        load.gamesPlayed = load.average = "0";
        return load;
    }
    load.gamesPlayed = load.lines.gamesText;
    const auto total = StrictNumber(load.lines.totalHitsText);
    if (!total) {
        load.error = kTypeMismatch;
        return load;
    }
    const double average = *total / *games;
    if (!std::isfinite(average)) {
        load.error = kOverflow;
        return load;
    }
    load.average = GeneralNumberText(average);
    return load;
}

std::string PrintField(double value) {
    // Rounded to 15 digits, the largest doubles would be written past the range and stop the next start.
    constexpr double kLargestField = 1.79769313486231e308;
    value = std::clamp(value, -kLargestField, kLargestField);
    return (value < 0 ? "" : " ") + GeneralNumberText(value) + " ";
}

std::string UpdatedScoreFile(const ScoreLines& lines, int16_t hits) {
    // A count too large for a double is no usable count either.
    auto count = [](std::string_view text) {
        const double value = LenientNumber(text);
        return std::isfinite(value) ? value : 0.0;
    };
    return PrintField(count(lines.totalHitsText) + hits) + "\r\n" + PrintField(count(lines.gamesText) + 1.0) +
           "\r\n";
}

std::string ResetScoreFile() {
    return PrintField(0) + "\r\n" + PrintField(0) + "\r\n";
}

} // namespace cardtest
