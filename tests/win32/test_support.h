// Helpers shared by the tests that run under Wine: finding and reading windows, waiting, files.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace test {

// Folder of the running test program, with a trailing backslash (the deliverables lie beside it).
std::wstring BinFolder();
std::wstring TempFolder(); // with a trailing backslash
// A window's text through WM_GETTEXT, which works across processes; all child windows' texts, a line each.
std::wstring TextOf(HWND hwnd);
std::wstring ChildTexts(HWND parent);
// Polls until the condition holds or the limit passes; the condition's last value.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
// A visible top-level window of the given class that belongs to the process (0: this process).
HWND TopWindowOf(DWORD process, const wchar_t* windowClass);
// The file of a module loaded in a process, found by its name; empty when none is.
std::wstring LoadedModule(DWORD process, const wchar_t* name);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string Narrow(const std::wstring& text);

// The sizes the system expects of the records our dialogs and the notification area get, written out per
// architecture so that a record laid out for the other one is caught.
constexpr bool k64Bit = sizeof(void*) == 8;
constexpr unsigned kOpenFileRecordSize = k64Bit ? 136 : 76; // up to lpTemplateName
constexpr unsigned kChooseColorRecordSize = k64Bit ? 72 : 36;
constexpr unsigned kChooseFontRecordSize = k64Bit ? 104 : 60;
constexpr unsigned kNotifyIconV1RecordSize = k64Bit ? 168 : 152; // up to the 64-character tip

} // namespace test
