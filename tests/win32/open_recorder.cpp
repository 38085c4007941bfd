// Stands in for the program the shell starts to open an address: it writes the address it was given to
// %TEMP%\open-recorder.txt, so that a test can see what reached the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring address = args && count > 1 ? args[1] : L"";
    LocalFree(args);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    HANDLE file = CreateFileW((std::wstring(temp) + L"open-recorder.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, address.data(), static_cast<DWORD>(address.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
