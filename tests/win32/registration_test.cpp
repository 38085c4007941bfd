// Dravlix.ocx registered as an installer does, through the system's regsvr32, for the machine and for one
// user: every value it writes, and a registry exactly as before once it is unregistered again.
#include "class_table.h"
#include "com_test_support.h"
#include "dravlix.h"
#include "registry_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
using namespace test;

std::wstring LibraryPath() {
    return BinFolder() + L"Dravlix.ocx";
}

// regsvr32 of this program's own architecture: a 32-bit program that starts it gets the 32-bit one. For one
// user: DllInstall with "user", and no DllRegisterServer.
int Regsvr32(bool unregister, bool user = false) {
    return Run(L"regsvr32.exe " + std::wstring(unregister ? L"/u " : L"") +
               (user ? L"/s /n /i:user \"" : L"/s \"") + LibraryPath() + L"\"");
}

bool IsRegistered() {
    return KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_Hyperlink));
}

// The test starts from an unregistered library and leaves the prefix as it found it, also when it fails.
class Registration : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        wasRegistered_ = IsRegistered();
        if (wasRegistered_) Regsvr32(true);
        ASSERT_FALSE(IsRegistered());
    }
    void TearDown() override {
        if (IsRegistered() != wasRegistered_) {
            EXPECT_EQ(Regsvr32(!wasRegistered_), 0);
        }
        if (KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\Dravlix.Hyperlink")) {
            EXPECT_EQ(Regsvr32(true, true), 0);
        }
        CoUninitialize();
    }

private:
    bool wasRegistered_ = false;
};

void ExpectClassKeys(const ControlClass& control) {
    SCOPED_TRACE(Narrow(control.name));
    const std::wstring key = L"CLSID\\" + GuidText(*control.clsid);
    const std::wstring progId = std::wstring(L"Dravlix.") + control.name;
    const std::wstring server = StringValue(key + L"\\InprocServer32");
    EXPECT_TRUE(SamePath(server, LibraryPath())) << Narrow(server);
    EXPECT_EQ(StringValue(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    for (const auto& [path, value] : std::initializer_list<std::pair<std::wstring, std::wstring>>{
             {key, control.name}, {key + L"\\ProgID", progId}, {key + L"\\VersionIndependentProgID", progId},
             {key + L"\\ToolboxBitmap32", server + L", " + std::to_wstring(control.toolboxBitmap)},
             {key + L"\\MiscStatus", L"0"}, {key + L"\\MiscStatus\\1", std::to_wstring(control.miscStatus)},
             {key + L"\\TypeLib", GuidText(LIBID_Dravlix)}, {key + L"\\Version", L"2.0"},
             {progId, control.name}, {progId + L"\\CLSID", GuidText(*control.clsid)}})
        EXPECT_EQ(StringValue(path), value) << Narrow(path);
    for (const wchar_t* subkey : {L"\\Control", L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"})
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + subkey)) << Narrow(subkey);

    // Created as any host creates it, it names its events for a host that connects to them.
    ComPtr<IProvideClassInfo2> object;
    ASSERT_EQ(CoCreateInstance(*control.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
    GUID events = GUID_NULL;
    EXPECT_EQ(object->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_NE(events, GUID_NULL);
}

TEST_F(Registration, Regsvr32WritesEveryKeyAndUnregisteringRestoresTheRegistry) {
    const auto before = DumpClasses();
    ASSERT_EQ(Regsvr32(false), 0);

    for (size_t i = 0; i < ControlClassCount; ++i)
        ExpectClassKeys(ControlClasses[i]);
    // The class id that hosts have stored (the class table's other values are pinned by library_test).
    EXPECT_EQ(StringValue(L"Dravlix.Hyperlink\\CLSID"), L"{01004873-C835-47E6-970B-D748A5DADF51}");

    // The type library from the library file, with its interfaces for late binding, under the platform of
    // this architecture's type library, which a host of the other one does not read.
    const std::wstring platforms = L"TypeLib\\" + GuidText(LIBID_Dravlix) + L"\\2.0\\0\\";
    EXPECT_TRUE(SamePath(StringValue(platforms + (k64Bit ? L"win64" : L"win32")), LibraryPath()));
    EXPECT_EQ(StringValue(platforms + (k64Bit ? L"win32" : L"win64")), L"<absent>");
    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(LoadRegTypeLib(LIBID_Dravlix, 2, 0, LOCALE_NEUTRAL, &typeLib), S_OK);
    for (const IID* iid : {&IID__Hyperlink, &DIID___Hyperlink})
        EXPECT_EQ(StringValue(L"Interface\\" + GuidText(*iid) + L"\\TypeLib"), GuidText(LIBID_Dravlix));

    // Registering again changes nothing that one unregistration does not undo.
    const auto registered = DumpClasses();
    ASSERT_EQ(Regsvr32(false), 0);
    EXPECT_TRUE(Same(registered, DumpClasses()));

    ASSERT_EQ(Regsvr32(true), 0);
    EXPECT_TRUE(Same(before, DumpClasses()));

    // Unregistering what is not registered succeeds and touches nothing.
    EXPECT_EQ(Regsvr32(true), 0);
    EXPECT_TRUE(Same(before, DumpClasses()));
}

// The other architecture's edition, as far as its class and ProgID go, registered in its own view: ours
// comes and goes without changing anything of it, whether the system shares ProgIDs between views or not.
TEST_F(Registration, LeavesTheOtherArchitecturesRegistrationWhole) {
    const REGSAM other = k64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_Hyperlink);
    auto write = [&](const std::wstring& path, const std::wstring& value) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | other, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    };
    auto remove = [&](const std::wstring& path) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_ALL_ACCESS | other, &key) != ERROR_SUCCESS) return;
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, path.c_str(), other, 0);
    };
    write(classKey + L"\\InprocServer32", L"C:\\other\\Dravlix.ocx");
    write(L"Dravlix.Hyperlink\\CLSID", GuidText(CLSID_Hyperlink));
    const auto before = DumpClasses(other);

    ASSERT_EQ(Regsvr32(false), 0);
    ASSERT_EQ(Regsvr32(true), 0);
    const auto after = DumpClasses(other);
    remove(classKey);
    remove(L"Dravlix.Hyperlink");
    EXPECT_TRUE(Same(before, after));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Dravlix.Hyperlink")) << "our own ProgID stayed behind";
}

std::vector<std::wstring> Without(std::vector<std::wstring> lines, const std::wstring& prefix) {
    auto starts = [&](const std::wstring& line) { return line.compare(0, prefix.size(), prefix) == 0; };
    lines.erase(std::remove_if(lines.begin(), lines.end(), starts), lines.end());
    return lines;
}

// The machine's half as per-user registration must leave it. Windows writes only the user's classes; Wine's
// 64-bit oleaut32 also copies each interface key into the machine's 32-bit view, by a way no override of
// HKEY_CLASSES_ROOT reaches (and takes the copies back on unregistering).
std::vector<std::wstring> MachineHalf(const std::vector<std::wstring>& dump) {
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const auto half = Half(dump, L"HKLM");
    return wine && k64Bit ? Without(half, L"\\Software\\Classes\\Wow6432Node\\Interface\\") : half;
}

TEST_F(Registration, PerUserRegistrationWritesTheMachineEntriesForThisUserAloneAndRemovesExactlyThem) {
    // The folders that every per-user registration shares stay when one is removed; a fresh prefix has none.
    // They are spelt as the machine's, since the two halves are compared line by line.
    HKEY machineClasses, key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_READ, &machineClasses), ERROR_SUCCESS);
    wchar_t name[256];
    for (DWORD i = 0, length = 256; RegEnumKeyExW(machineClasses, i, name, &length, nullptr, nullptr, nullptr,
                                                  nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        for (const wchar_t* shared : {L"CLSID", L"Interface", L"TypeLib"})
            if (CompareStringOrdinal(name, -1, shared, -1, TRUE) == CSTR_EQUAL &&
                RegCreateKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + std::wstring(name)).c_str(), 0,
                                nullptr, 0, KEY_READ, nullptr, &key, nullptr) == ERROR_SUCCESS)
                RegCloseKey(key);
    RegCloseKey(machineClasses);
    const auto before = DumpClasses();
    ASSERT_EQ(Regsvr32(false), 0);
    const auto machine = DumpClasses();
    // The machine's 32-bit view repeats the keys both views share; the user's classes have no such view.
    const auto machineEntries =
        Without(Added(Half(before, L"HKLM"), Half(machine, L"HKLM")), L"\\Software\\Classes\\Wow6432Node\\");
    ASSERT_FALSE(machineEntries.empty());

    // Beside the machine's registration, and with none: the user's half gains the machine's entries, the
    // machine's half stays as it is, and unregistering the user takes back exactly what it gave.
    for (const auto* start : {&machine, &before}) {
        SCOPED_TRACE(start == &machine ? "beside the machine's registration" : "alone");
        ASSERT_EQ(Regsvr32(false, true), 0);
        const auto user = DumpClasses();
        EXPECT_TRUE(Same(MachineHalf(*start), MachineHalf(user)));
        const auto userEntries = Added(Half(*start, L"HKCU"), Half(user, L"HKCU"));
        EXPECT_TRUE(Same(machineEntries, userEntries));
        ASSERT_EQ(Regsvr32(true, true), 0);
        const auto after = DumpClasses();
        EXPECT_TRUE(Same(Half(*start, L"HKCU"), Half(after, L"HKCU")));
        EXPECT_TRUE(Same(MachineHalf(*start), MachineHalf(after)));
        if (start == &machine) {
            ASSERT_EQ(Regsvr32(true), 0);
        }
    }
    EXPECT_TRUE(Same(before, DumpClasses()));
}

TEST_F(Registration, DllInstallRefusesEveryCommandLineButUser) {
    HMODULE library = LoadLibraryW(LibraryPath().c_str());
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
    auto install = reinterpret_cast<Install>(reinterpret_cast<void (*)()>(GetProcAddress(library, "DllInstall")));
    ASSERT_NE(install, nullptr);
    const auto before = DumpClasses();
    for (const wchar_t* commandLine :
         {static_cast<const wchar_t*>(nullptr), L"", L"machine", L"users", L"user ", L"/i:user"})
        for (BOOL installing : {TRUE, FALSE})
            EXPECT_EQ(install(installing, commandLine), E_INVALIDARG)
                << (commandLine ? Narrow(commandLine) : "null") << " " << installing;
    EXPECT_TRUE(Same(before, DumpClasses()));
    FreeLibrary(library);
}

} // namespace
