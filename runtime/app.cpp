#include "app.h"

#include <windows.h>

namespace App {

std::wstring Title() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

float Timer() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return static_cast<float>(t.wHour * 3600 + t.wMinute * 60 + t.wSecond) + t.wMilliseconds / 1000.0f;
}

void ReportRunTimeError(int number, std::string_view description, std::wstring_view subject) {
    std::wstring text = L"Run-time error " + std::to_wstring(number) + L": ";
    text.append(description.begin(), description.end()); // descriptions are ASCII
    if (!subject.empty()) text.append(L"\r\n\r\n").append(subject);
    MessageBoxW(nullptr, text.c_str(), Title().c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ExitProcess(static_cast<UINT>(number));
}

} // namespace App
