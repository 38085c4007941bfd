// Helpers shared by the tests that run under Wine: finding and reading windows, waiting, files.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace test {

// Folder of the running test program, with a trailing backslash (the deliverables lie beside it).
std::wstring BinFolder();
// A window's text through WM_GETTEXT, which also works across processes.
std::wstring TextOf(HWND hwnd);
// The texts of all child windows, one per line.
std::wstring ChildTexts(HWND parent);
// Polls until the condition holds or the limit passes; the condition's last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
// A visible top-level window of the given class that belongs to the process (0: this process).
HWND TopWindowOf(DWORD process, const wchar_t* windowClass);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string Narrow(const std::wstring& text);

} // namespace test
