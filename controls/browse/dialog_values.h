// The values the browse boxes hand to the system's dialogs and read back, without a window.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// "Description|pattern|…" as the file dialog's list: every "|" becomes NUL, with one appended first
// unless the text already ends with "|". Blanks stay part of their description or pattern. The caller
// hands the result over with its terminating NUL, which ends the list.
std::wstring ConvertFilter(std::wstring_view filter);

// The chosen path in a file dialog's buffer: the text before the first NUL, blanks removed at both ends.
std::wstring FileDialogResult(std::wstring_view buffer);

// The text before the first NUL.
std::wstring TextBeforeNul(std::wstring_view buffer);

// A font object's size (points in ten-thousandths, as the object keeps it) as LOGFONT's lfHeight at
// dpi dots per inch: the character height in pixels, negative, rounded to the nearest with ties to even.
int32_t LogFontHeight(int64_t sizeTenThousandths, int dpi);

// The size in tenths of a point (CHOOSEFONT's iPointSize), rounded to the nearest with ties to even;
// and back, which is exact.
int32_t PointSizeTenths(int64_t sizeTenThousandths);
int64_t SizeFromTenths(int32_t tenths);

// A face name as LOGFONT's 32-unit field takes it: at most 31 UTF-16 units, so that the terminating
// zero always fits, and never cut between the two halves of a surrogate pair.
std::u16string FaceNameField(std::u16string_view name);
