// The text of the library's About box, from four fields of its version resource.
#pragma once
#include <string>
#include <string_view>

// The fields with a blank line after each of the first three, the copyright after a copyright sign, and a
// line break after every full stop.
std::wstring AboutText(std::wstring_view company, std::wstring_view comments, std::wstring_view description,
                       std::wstring_view copyright);
