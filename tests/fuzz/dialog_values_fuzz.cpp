// The browse boxes' dialog values from any bytes: the bytes as UTF-16 text for the filter, the file
// dialog's buffer and the face name, and as integers for the font size arithmetic.
#include "dialog_values.h"

#include "fuzz_check.h"

namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

__int128 Abs(__int128 v) {
    return v < 0 ? -v : v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    const std::wstring text(units.begin(), units.end());

    // Bars become NULs, nothing else changes, and the list ends in a NUL of its own.
    const std::wstring filter = ConvertFilter(text);
    FUZZ_CHECK(filter.size() == text.size() + (text.empty() || text.back() != L'|'));
    FUZZ_CHECK(filter.back() == L'\0' && filter.find(L'|') == std::wstring::npos);
    for (size_t i = 0; i < text.size(); ++i)
        FUZZ_CHECK(filter[i] == (text[i] == L'|' ? L'\0' : text[i]));

    const std::wstring before = TextBeforeNul(text);
    FUZZ_CHECK(text.compare(0, before.size(), before) == 0);
    FUZZ_CHECK(before.size() == text.size() || text[before.size()] == L'\0');
    FUZZ_CHECK(before.find(L'\0') == std::wstring::npos);
    const std::wstring path = FileDialogResult(text);
    const size_t start = before.find_first_not_of(L' ');
    FUZZ_CHECK(path.empty() ? start == std::wstring::npos : before.compare(start, path.size(), path) == 0);
    FUZZ_CHECK(path.empty() || before.find_first_not_of(L' ', start + path.size()) == std::wstring::npos);
    FUZZ_CHECK(path.empty() || (path.front() != L' ' && path.back() != L' '));

    const std::u16string face = FaceNameField(units);
    FUZZ_CHECK(face.size() <= 31 && units.compare(0, face.size(), face) == 0);
    if (units.size() <= 31) {
        FUZZ_CHECK(face == units);
    } else {
        // Shortened by one more unit only to keep a pair whole.
        FUZZ_CHECK(face.size() == 31 || (face.size() == 30 && IsHighSurrogate(units[30])));
        FUZZ_CHECK(!(IsHighSurrogate(face.back()) && IsLowSurrogate(units[face.size()])));
    }

    const auto fontSize = Take<int64_t>(data, size, 0);
    const auto dpi = Take<int32_t>(data, size, 8);
    const auto tenths = Take<int32_t>(data, size, 12);
    FUZZ_CHECK(PointSizeTenths(SizeFromTenths(tenths)) == tenths);

    // Nearest whole tenth, ties to even, unless saturated.
    const int32_t points = PointSizeTenths(fontSize);
    if (points != INT32_MAX && points != INT32_MIN) {
        const __int128 twice = 2 * Abs(__int128{points} * 1000 - fontSize);
        FUZZ_CHECK(twice < 1000 || (twice == 1000 && points % 2 == 0));
    }
    // Larger fonts are never shorter; heights are negative.
    const int32_t height = LogFontHeight(fontSize, dpi);
    if (fontSize < INT64_MAX) FUZZ_CHECK(LogFontHeight(fontSize + 1, dpi) <= height);
    FUZZ_CHECK(fontSize < 0 || height <= 0);
    // Nearest whole pixel, ties to even, for any real font at any real resolution.
    const bool realFont = fontSize >= -(int64_t{1} << 40) && fontSize <= int64_t{1} << 40;
    if (realFont && dpi >= 1 && dpi <= 65536 && height != INT32_MIN && height != INT32_MAX) {
        const __int128 twice = 2 * Abs(__int128{-height} * 720000 - __int128{fontSize} * dpi);
        FUZZ_CHECK(twice < 720000 || (twice == 720000 && height % 2 == 0));
    }
    return 0;
}
