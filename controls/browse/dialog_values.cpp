#include "dialog_values.h"

namespace {
// numerator / denominator (denominator > 0), rounded to the nearest integer, half-way cases to even.
int64_t DivideRoundingToEven(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator, remainder = numerator % denominator;
    if (remainder < 0) { // floor division
        quotient -= 1;
        remainder += denominator;
    }
    const int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) quotient += 1;
    return quotient;
}

int32_t Saturate(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Beyond any real font, and small enough that the arithmetic below cannot overflow.
constexpr int64_t kSizeLimit = int64_t{1} << 40;
int64_t ClampSize(int64_t size) {
    return size > kSizeLimit ? kSizeLimit : size < -kSizeLimit ? -kSizeLimit : size;
}
} // namespace

std::wstring ConvertFilter(std::wstring_view filter) {
    std::wstring list(filter);
    if (list.empty() || list.back() != L'|') list.push_back(L'|');
    for (wchar_t& c : list)
        if (c == L'|') c = L'\0';
    return list;
}

std::wstring TextBeforeNul(std::wstring_view buffer) {
    return std::wstring(buffer.substr(0, buffer.find(L'\0')));
}

std::wstring FileDialogResult(std::wstring_view buffer) {
    std::wstring text = TextBeforeNul(buffer);
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

int32_t LogFontHeight(int64_t sizeTenThousandths, int dpi) {
    // size × 20 twips ÷ (1440 ÷ dpi twips per pixel), kept in whole numbers so that ties are exact.
    if (dpi < 1 || dpi > 65536) dpi = 96;
    return Saturate(-DivideRoundingToEven(ClampSize(sizeTenThousandths) * dpi, 720000));
}

int32_t PointSizeTenths(int64_t sizeTenThousandths) {
    return Saturate(DivideRoundingToEven(sizeTenThousandths, 1000));
}

int64_t SizeFromTenths(int32_t tenths) {
    return int64_t{tenths} * 1000;
}

std::u16string FaceNameField(std::u16string_view name) {
    constexpr size_t kMaxUnits = 31;
    if (name.size() <= kMaxUnits) return std::u16string(name);
    size_t cut = kMaxUnits;
    const char16_t last = name[cut - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --cut; // a high surrogate whose partner would be cut off
    return std::u16string(name.substr(0, cut));
}
