// What the running program knows of itself and the platform services it asks for by name.
#pragma once
#include <string>
#include <string_view>

namespace App {
// The program's name: its file name without the extension.
std::wstring Title();
// Folder of the running module (the control library when the runtime is linked into one), without a
// trailing backslash except at a drive's root.
std::wstring Path();
// A string of the running module's version resource ("CompanyName", "Comments"...); empty when absent.
std::wstring VersionField(const wchar_t* name);
// Seconds since midnight, local time, as a single-precision value.
float Timer();
// The platform's report of an error nobody handled: a message naming the error and what it concerns,
// then the program ends at once with the error number as its exit code.
[[noreturn]] void ReportRunTimeError(int number, std::string_view description, std::wstring_view subject);
} // namespace App
