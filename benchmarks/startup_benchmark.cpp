// Palix's start-up against a bare window program's (bare_window.exe): from CreateProcess until the process
// has a visible top-level window and WaitForInputIdle has returned, then closed with WM_CLOSE. Both run as
// a user runs them, from a copy of the deliverables in a new temporary folder (Palix.exe, Dravlix.ocx and
// its manifest, so that Palix takes Dravlix from there and keeps score.dat there), started in turns, one
// untimed start each first; the folder is removed at the end. Fails only when a start goes wrong.
#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kStarts = 9;
constexpr double kGoal = 1.3;
constexpr DWORD kStartLimitMs = 30000; // a first start in a cold prefix is slow
constexpr DWORD kExitLimitMs = 10000;

using test::Narrow;

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchVisible(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != s->process || !IsWindowVisible(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND VisibleTopWindow(DWORD process) {
    Search search{process, nullptr};
    EnumWindows(MatchVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    return name;
}


struct Program {
    const char* name;
    std::wstring file;        // in the temporary folder
    const wchar_t* formClass; // the class of the window it shows
    const wchar_t* library;   // a library it must have taken from its own folder, or null
    std::vector<double> millis;
};

// One start, timed and closed; false (having said why) when it did not show its window or end.
bool StartOnce(Program& program, const std::wstring& folder, bool timed) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + program.file + L"\"";
    auto start = Clock::now();
    if (!CreateProcessW(program.file.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &pi)) {
        std::printf("  %s did not start (error %lu)\n", program.name, GetLastError());
        return false;
    }
    DWORD idle = WaitForInputIdle(pi.hProcess, kStartLimitMs);
    HWND window = nullptr;
    while (idle == 0 && !(window = VisibleTopWindow(pi.dwProcessId)) &&
           Clock::now() - start < std::chrono::milliseconds(kStartLimitMs) &&
           WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
    }
    double millis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    bool ok = window && ClassOf(window) == program.formClass;
    if (!ok)
        std::printf("  %s showed %s after %.0f ms (WaitForInputIdle: %lu)\n", program.name,
                    window ? ("a window of class " + Narrow(ClassOf(window)) + " instead of its form").c_str()
                           : "no window",
                    millis, idle);
    if (ok && program.library) {
        std::wstring from = test::LoadedModule(pi.dwProcessId, program.library);
        if (FolderOf(from) != folder + L"\\") {
            std::printf("  %s took %s from %s, not from its own folder\n", program.name,
                        Narrow(program.library).c_str(), from.empty() ? "nowhere" : Narrow(from).c_str());
            ok = false;
        }
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(pi.hProcess, kExitLimitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &exitCode);
    if (exitCode != 0) {
        std::printf("  %s %s\n", program.name,
                    exitCode == STILL_ACTIVE ? "did not end after WM_CLOSE"
                                             : ("ended with " + std::to_string(exitCode)).c_str());
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, kExitLimitMs);
        ok = false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (ok && timed) program.millis.push_back(millis);
    return ok;
}

// Everything in the folder (the copies and what the programs wrote), then the folder; false if any stays.
bool RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring path = folder + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (found.cFileName != std::wstring(L".") && found.cFileName != std::wstring(L".."))
                RemoveFolder(path);
            continue;
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main() {
    std::wstring bin = test::BinFolder();
    std::wstring folder = test::TempFolder() + L"startup-benchmark-" +
                          std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        std::printf("No temporary folder %s (error %lu)\n", Narrow(folder).c_str(), GetLastError());
        return 1;
    }
    bool broken = false;
    for (const wchar_t* file : {L"Palix.exe", L"Dravlix.ocx", L"Dravlix.manifest", L"bare_window.exe"})
        if (!CopyFileW((bin + file).c_str(), (folder + L"\\" + file).c_str(), TRUE)) {
            std::printf("%s could not be copied from %s (error %lu)\n", Narrow(file).c_str(),
                        Narrow(bin).c_str(), GetLastError());
            broken = true;
        }
    std::wstring builtScore = bin + L"score.dat";
    DWORD builtScoreBefore = GetFileAttributesW(builtScore.c_str());

    Program bare{"bare window", folder + L"\\bare_window.exe", L"BareWindow", nullptr, {}};
    Program palix{"Palix", folder + L"\\Palix.exe", L"RuntimeForm", L"Dravlix.ocx", {}};
    std::printf("Start-up: %d starts each in turn from %s, after one untimed start each\n", kStarts,
                Narrow(folder).c_str());
    std::fflush(stdout);
    for (int i = -1; i < kStarts && !broken; ++i)
        broken = !StartOnce(bare, folder, i >= 0) || !StartOnce(palix, folder, i >= 0);

    if (!broken) {
        for (const Program* p : {&bare, &palix}) {
            std::printf("  %-12s median %6.1f ms; each start:", p->name, Median(p->millis));
            for (double ms : p->millis)
                std::printf(" %.0f", ms);
            std::printf("\n");
        }
        double ratio = Median(palix.millis) / Median(bare.millis);
        std::printf("  ratio %.2f (goal: at most %.1f: %s)\n", ratio, kGoal,
                    ratio <= kGoal ? "met" : "MISSED");
    }
    if (GetFileAttributesW(builtScore.c_str()) != builtScoreBefore) {
        std::printf("%s changed: Palix wrote into the build tree\n", Narrow(builtScore).c_str());
        broken = true;
    }
    if (!RemoveFolder(folder)) {
        std::printf("The temporary folder %s could not be removed (error %lu)\n", Narrow(folder).c_str(),
                    GetLastError());
        broken = true;
    }
    return broken ? 1 : 0;
}
