// Registry and process helpers of the registration tests: running a system program, reading a key of one
// registry view, and the whole classes registry as sorted lines to compare before and after.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

std::wstring GuidText(const GUID& guid);
// A program's exit code, or -1 when it could not be run or did not end within a minute.
int Run(std::wstring commandLine);
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0);
// A string value below root (HKEY_CLASSES_ROOT unless said), or "<absent>" when the key or the value is missing
// or not a string.
std::wstring StringValue(const std::wstring& path, const wchar_t* name = nullptr, REGSAM view = 0,
                         HKEY root = HKEY_CLASSES_ROOT);
// Both halves of HKEY_CLASSES_ROOT (machine and user) in one registry view, every key and value a line.
std::vector<std::wstring> DumpClasses(REGSAM view = 0);
// The lines of one half of a dump ("HKLM" or "HKCU") without the half's name, so that the halves compare.
std::vector<std::wstring> Half(const std::vector<std::wstring>& dump, const std::wstring& root);
// The lines of a sorted dump that an earlier one did not have.
std::vector<std::wstring> Added(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after);
// The lines gone and added, readable in a failure message.
std::string Difference(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after);
// Equal dumps, or a failure that shows the difference.
::testing::AssertionResult Same(const std::vector<std::wstring>& before,
                                const std::vector<std::wstring>& after);
bool SamePath(const std::wstring& a, const std::wstring& b);

} // namespace test
