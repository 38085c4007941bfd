// Registering Dravlix.ocx the way an installer does, through the system's regsvr32, in the shared prefix:
// every value it writes, and a registry that is exactly as before once it is unregistered again.
#include "class_table.h"
#include "dravlix.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {
using namespace test;

std::wstring LibraryPath() {
    return BinFolder() + L"Dravlix.ocx";
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = L"";
    StringFromGUID2(guid, text, 40);
    return text;
}

// regsvr32's exit code, or -1 when it could not be run or did not end.
int Regsvr32(bool unregister) {
    std::wstring command =
        L"regsvr32.exe " + std::wstring(unregister ? L"/u " : L"") + L"/s \"" + LibraryPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool IsRegistered() {
    return KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_Hyperlink));
}

// A string value, or "<absent>" when the key or the value is missing or not a string.
std::wstring StringValue(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t data[1024];
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return L"<absent>";
    return data;
}

// Every key and value below a key, one line each.
void Dump(HKEY key, const std::wstring& path, std::vector<std::wstring>& lines) {
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
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            lines.push_back(path + L"\\" + child + L" <unreadable>");
            continue;
        }
        Dump(opened, path + L"\\" + child, lines);
        RegCloseKey(opened);
    }
}

// Both halves of HKEY_CLASSES_ROOT, whole: class, interface, type library and ProgID keys all live there.
std::vector<std::wstring> DumpClasses() {
    std::vector<std::wstring> lines;
    for (auto [root, name] :
         {std::pair{HKEY_LOCAL_MACHINE, L"HKLM"}, std::pair{HKEY_CURRENT_USER, L"HKCU"}}) {
        HKEY classes;
        if (RegOpenKeyExW(root, L"Software\\Classes", 0, KEY_READ, &classes) != ERROR_SUCCESS) continue;
        Dump(classes, std::wstring(name) + L"\\Software\\Classes", lines);
        RegCloseKey(classes);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The differences, readable in a failure message.
std::string Difference(const std::vector<std::wstring>& before, const std::vector<std::wstring>& after) {
    std::vector<std::wstring> gone, added;
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    std::wstring text;
    for (const auto& line : gone)
        text += L"- " + line + L"\n";
    for (const auto& line : added)
        text += L"+ " + line + L"\n";
    return Narrow(text);
}

// The test starts from an unregistered library and leaves the prefix as it found it, also when it fails.
class Registration : public testing::Test {
protected:
    void SetUp() override {
        wasRegistered_ = IsRegistered();
        if (wasRegistered_) {
            ASSERT_EQ(Regsvr32(true), 0);
        }
        ASSERT_FALSE(IsRegistered());
    }
    void TearDown() override {
        if (IsRegistered() != wasRegistered_) {
            EXPECT_EQ(Regsvr32(!wasRegistered_), 0);
        }
    }

private:
    bool wasRegistered_ = false;
};

void ExpectClassKeys(const ControlClass& control) {
    SCOPED_TRACE(Narrow(control.name));
    const std::wstring key = L"CLSID\\" + GuidText(*control.clsid);
    const std::wstring progId = std::wstring(L"Dravlix.") + control.name;
    const std::wstring server = StringValue(key + L"\\InprocServer32");
    EXPECT_EQ(CompareStringOrdinal(server.c_str(), -1, LibraryPath().c_str(), -1, TRUE), CSTR_EQUAL)
        << Narrow(server);

    EXPECT_EQ(StringValue(key), control.name);
    EXPECT_EQ(StringValue(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(StringValue(key + L"\\ProgID"), progId);
    EXPECT_EQ(StringValue(key + L"\\VersionIndependentProgID"), progId);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\Control"));
    EXPECT_EQ(StringValue(key + L"\\ToolboxBitmap32"),
              server + L", " + std::to_wstring(control.toolboxBitmap));
    EXPECT_EQ(StringValue(key + L"\\MiscStatus"), L"0");
    EXPECT_EQ(StringValue(key + L"\\MiscStatus\\1"), std::to_wstring(control.miscStatus));
    EXPECT_EQ(StringValue(key + L"\\TypeLib"), GuidText(LIBID_Dravlix));
    EXPECT_EQ(StringValue(key + L"\\Version"), L"2.0");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                          key + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    EXPECT_EQ(StringValue(progId), control.name);
    EXPECT_EQ(StringValue(progId + L"\\CLSID"), GuidText(*control.clsid));

    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(progId.c_str(), &found), S_OK);
    EXPECT_EQ(found, *control.clsid);
}

TEST_F(Registration, Regsvr32WritesEveryKeyAndUnregisteringRestoresTheRegistry) {
    const auto before = DumpClasses();
    ASSERT_EQ(Regsvr32(false), 0);

    for (size_t i = 0; i < ControlClassCount; ++i)
        ExpectClassKeys(ControlClasses[i]);
    // Hyperlink's row in full, against the table itself being wrong.
    const std::wstring hyperlink = L"CLSID\\" + GuidText(CLSID_Hyperlink);
    EXPECT_EQ(StringValue(hyperlink + L"\\MiscStatus\\1"), L"131473");
    EXPECT_EQ(StringValue(hyperlink + L"\\ToolboxBitmap32"),
              StringValue(hyperlink + L"\\InprocServer32") + L", 30004");
    EXPECT_EQ(StringValue(L"Dravlix.Hyperlink\\CLSID"), L"{01004873-C835-47E6-970B-D748A5DADF51}");

    // The type library is registered from the library file, with its interfaces for late binding.
    BSTR path = nullptr;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_Dravlix, 2, 0, LOCALE_NEUTRAL, &path), S_OK);
    EXPECT_EQ(CompareStringOrdinal(path, -1, LibraryPath().c_str(), -1, TRUE), CSTR_EQUAL) << Narrow(path);
    SysFreeString(path);
    ITypeLib* typeLib = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_Dravlix, 2, 0, LOCALE_NEUTRAL, &typeLib), S_OK);
    typeLib->Release();
    EXPECT_EQ(StringValue(L"Interface\\" + GuidText(IID__Hyperlink) + L"\\TypeLib"), GuidText(LIBID_Dravlix));
    EXPECT_EQ(StringValue(L"Interface\\" + GuidText(DIID___Hyperlink) + L"\\TypeLib"),
              GuidText(LIBID_Dravlix));

    // Registering again changes nothing that one unregistration does not undo.
    const auto registered = DumpClasses();
    ASSERT_EQ(Regsvr32(false), 0);
    const auto again = DumpClasses();
    EXPECT_TRUE(again == registered) << Difference(registered, again);

    ASSERT_EQ(Regsvr32(true), 0);
    const auto after = DumpClasses();
    EXPECT_TRUE(after == before) << Difference(before, after);

    // Unregistering what is not registered succeeds and touches nothing.
    EXPECT_EQ(Regsvr32(true), 0);
    const auto twice = DumpClasses();
    EXPECT_TRUE(twice == before) << Difference(before, twice);
}

} // namespace
