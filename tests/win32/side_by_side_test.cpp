// Both editions of Dravlix.ocx registered in one 64-bit system: each in its own registry view, each created
// from its own file by the hosts of its architecture (a program and the script host), and each unregistered
// without touching the other. Built in the 64-bit tree only; it starts the 32-bit tree's programs.
#include "dravlix.h"
#include "registry_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {
using namespace test;

struct Edition {
    const char* name;
    std::wstring bin;    // the tree's folder of programs
    std::wstring system; // the system's programs of the same architecture
    REGSAM view;
    const wchar_t* typeLibPlatform;

    std::wstring Library() const { return bin + L"Dravlix.ocx"; }
    int Regsvr32(bool unregister) const {
        return Run(system + L"regsvr32.exe /s " + (unregister ? L"/u \"" : L"\"") + Library() + L"\"");
    }
    // 0 when a program of this architecture gets its Hyperlink from this edition's file.
    int ServerFileCheck() const {
        return Run(L"\"" + bin + L"server_file_check.exe\" Dravlix.Hyperlink \"" + Library() + L"\"");
    }
    // The script host of this architecture: 7 when the script created the control.
    int Script(const std::wstring& script) const { return Run(system + L"cscript.exe //nologo \"" + script + L"\""); }
};

class SideBySide : public testing::Test {
protected:
    void SetUp() override {
        script_ = TempFolder() + L"side_by_side.js";
        WriteBytes(script_, "var link = new ActiveXObject(\"Dravlix.Hyperlink\"); WScript.Quit(7);\n");
    }
    void TearDown() override {
        for (const Edition* e : {&x64, &x86}) e->Regsvr32(true);
        DeleteFileW(script_.c_str());
    }

    void ExpectWorks(bool works64, bool works32) {
        const std::wstring server = L"CLSID\\" + GuidText(CLSID_Hyperlink) + L"\\InprocServer32";
        const std::wstring typeLib = L"TypeLib\\" + GuidText(LIBID_Dravlix) + L"\\2.0\\0\\";
        for (auto [e, works] : {std::pair{&x64, works64}, std::pair{&x86, works32}}) {
            SCOPED_TRACE(e->name);
            for (const std::wstring& key : {server, typeLib + e->typeLibPlatform})
                EXPECT_EQ(SamePath(StringValue(key, nullptr, e->view), e->Library()), works) << Narrow(key);
            EXPECT_EQ(e->ServerFileCheck(), works ? 0 : 2);
            EXPECT_EQ(e->Script(script_) == 7, works);
        }
    }

    const Edition x64{"64-bit", BinFolder(), L"C:\\windows\\system32\\", KEY_WOW64_64KEY, L"win64"};
    const Edition x86{"32-bit", BinFolder() + L"..\\..\\win32\\bin\\", L"C:\\windows\\syswow64\\",
                      KEY_WOW64_32KEY, L"win32"};
    std::wstring script_;
};

TEST_F(SideBySide, EachEditionRegistersInItsOwnViewAndLeavesTheOtherWhole) {
    const auto before64 = DumpClasses(KEY_WOW64_64KEY), before32 = DumpClasses(KEY_WOW64_32KEY);
    ASSERT_EQ(x64.Regsvr32(false), 0);
    ASSERT_EQ(x86.Regsvr32(false), 0);
    ExpectWorks(true, true);

    ASSERT_EQ(x64.Regsvr32(true), 0);
    ExpectWorks(false, true);
    ASSERT_EQ(x64.Regsvr32(false), 0);
    ASSERT_EQ(x86.Regsvr32(true), 0);
    ExpectWorks(true, false);

    ASSERT_EQ(x64.Regsvr32(true), 0);
    const auto after64 = DumpClasses(KEY_WOW64_64KEY), after32 = DumpClasses(KEY_WOW64_32KEY);
    EXPECT_TRUE(after64 == before64) << Difference(before64, after64);
    EXPECT_TRUE(after32 == before32) << Difference(before32, after32);
}

} // namespace
