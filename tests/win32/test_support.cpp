#include "test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace test {

std::wstring LoadedModule(DWORD process, const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE) return L"";
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    std::wstring found;
    for (BOOL more = Module32FirstW(snapshot, &module); more && found.empty();
         more = Module32NextW(snapshot, &module))
        if (CompareStringOrdinal(module.szModule, -1, name, -1, TRUE) == CSTR_EQUAL) found = module.szExePath;
    CloseHandle(snapshot);
    return found;
}

std::wstring BinFolder() {
    wchar_t path[MAX_PATH];
    std::wstring dir(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH];
    return std::wstring(temp, GetTempPathW(MAX_PATH, temp));
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &length);
    return buffer;
}

namespace {
BOOL CALLBACK AppendText(HWND child, LPARAM lp) {
    reinterpret_cast<std::wstring*>(lp)->append(TextOf(child)).append(L"\n");
    return TRUE;
}

struct WindowSearch {
    DWORD process;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[64];
    GetClassNameW(hwnd, cls, 64);
    if (owner != s->process || !IsWindowVisible(hwnd) || lstrcmpW(cls, s->windowClass) != 0) return TRUE;
    s->found = hwnd;
    return FALSE;
}
} // namespace

std::wstring ChildTexts(HWND parent) {
    std::wstring texts;
    EnumChildWindows(parent, AppendText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

HWND TopWindowOf(DWORD process, const wchar_t* windowClass) {
    WindowSearch search{process ? process : GetCurrentProcessId(), windowClass, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace test

namespace {
// A fault inside a window procedure or COM callback is swallowed by the system and the program goes on;
// every test program fails at the end if one happened.
LONG accessViolations = 0;

LONG CALLBACK CountAccessViolations(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) InterlockedIncrement(&accessViolations);
    return EXCEPTION_CONTINUE_SEARCH;
}

class NoSwallowedFaults : public ::testing::Environment {
public:
    void SetUp() override { handler_ = AddVectoredExceptionHandler(1, CountAccessViolations); }
    void TearDown() override {
        RemoveVectoredExceptionHandler(handler_);
        EXPECT_EQ(accessViolations, 0) << "access violations happened inside callbacks";
    }

private:
    void* handler_ = nullptr;
};

[[maybe_unused]] auto* const noSwallowedFaults = ::testing::AddGlobalTestEnvironment(new NoSwallowedFaults);
} // namespace
