#include "registry_test_support.h"

#include "test_support.h"

#include <ole2.h>

#include <algorithm>
#include <iterator>

namespace test {

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = L"";
    StringFromGUID2(guid, text, 40);
    return text;
}

int Run(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::wstring StringValue(const std::wstring& path, const wchar_t* name, REGSAM view, HKEY root) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return L"<absent>";
    wchar_t data[1024];
    DWORD size = sizeof(data);
    const LSTATUS status = RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, data, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? data : L"<absent>";
}

namespace {

void Dump(HKEY key, const std::wstring& path, REGSAM view, std::vector<std::wstring>& lines) {
    lines.push_back(path);
    DWORD maxKey = 0, maxValueName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxKey, nullptr, nullptr, &maxValueName,
                         &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        lines.push_back(path + L" <unreadable>");
        return;
    }
    std::vector<wchar_t> name(std::max(maxKey, maxValueName) + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        LSTATUS status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        std::wstring line =
            path + L" [" + std::wstring(name.data(), nameLength) + L"] " + std::to_wstring(type) + L" ";
        for (DWORD b = 0; status == ERROR_SUCCESS && b < size; ++b) {
            line += L"0123456789ABCDEF"[data[b] >> 4];
            line += L"0123456789ABCDEF"[data[b] & 15];
        }
        if (status != ERROR_SUCCESS) line += L"<error " + std::to_wstring(status) + L">";
        lines.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring child(name.data(), nameLength);
        HKEY opened;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) {
            lines.push_back(path + L"\\" + child + L" <unreadable>");
            continue;
        }
        Dump(opened, path + L"\\" + child, view, lines);
        RegCloseKey(opened);
    }
}

} // namespace

std::vector<std::wstring> DumpClasses(REGSAM view) {
    std::vector<std::wstring> lines;
    for (auto [root, name] :
         {std::pair{HKEY_LOCAL_MACHINE, L"HKLM"}, std::pair{HKEY_CURRENT_USER, L"HKCU"}}) {
        HKEY classes;
        if (RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_READ | view, &classes) != ERROR_SUCCESS) continue;
        Dump(classes, std::wstring(name) + L"\\Software\\Classes", view, lines);
        RegCloseKey(classes);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> Half(const std::vector<std::wstring>& dump, const std::wstring& root) {
    std::vector<std::wstring> lines;
    for (const auto& line : dump)
        if (line.compare(0, root.size(), root) == 0) lines.push_back(line.substr(root.size()));
    return lines;
}

std::vector<std::wstring> Added(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
    std::vector<std::wstring> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    return added;
}

std::string Difference(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
    std::wstring text;
    for (const auto& line : Added(after, before)) text += L"- " + line + L"\n";
    for (const auto& line : Added(before, after)) text += L"+ " + line + L"\n";
    return Narrow(text);
}

::testing::AssertionResult Same(const std::vector<std::wstring>& before,
                                const std::vector<std::wstring>& after) {
    if (before == after) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Difference(before, after);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    wchar_t fullA[MAX_PATH], fullB[MAX_PATH];
    if (!GetFullPathNameW(a.c_str(), MAX_PATH, fullA, nullptr) || !GetFullPathNameW(b.c_str(), MAX_PATH, fullB, nullptr))
        return false;
    return CompareStringOrdinal(fullA, -1, fullB, -1, TRUE) == CSTR_EQUAL;
}

} // namespace test
