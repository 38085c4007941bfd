// Dravlix registered nowhere, in a folder laid out as the distribution ships it: the activation context of
// Palix.exe's manifest serves every class, its ProgID and the type library from that folder's Dravlix.ocx,
// and names the version the library carries.
#include "class_table.h"
#include "com/com.h"
#include "dravlix.h"
#include "registry_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <string>

namespace {
using namespace test;

const wchar_t* const kShippedFiles[] = {L"Palix.exe", L"Dravlix.ocx", L"Dravlix.manifest"};

// The file whose code an object's first virtual function table lies in.
std::wstring ModuleOf(IUnknown* object) {
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = L"";
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       *reinterpret_cast<const wchar_t* const*>(object), &module);
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// "1.0.0.15" from a file's version resource.
std::wstring FileVersion(const std::wstring& file) {
    std::vector<BYTE> block(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return L"<none>";
    const DWORD high = fixed->dwFileVersionMS, low = fixed->dwFileVersionLS;
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
           std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

class RegistrationFree : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        folder_ = TempFolder() + L"dravlix-free-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
        for (const wchar_t* file : kShippedFiles)
            ASSERT_TRUE(CopyFileW((BinFolder() + file).c_str(), (folder_ + file).c_str(), FALSE)) << Narrow(file);
    }
    void TearDown() override {
        CoFreeUnusedLibrariesEx(0, 0);
        OleUninitialize();
        for (const wchar_t* file : kShippedFiles) DeleteFileW((folder_ + file).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring folder_;
};

TEST_F(RegistrationFree, PalixsManifestServesEveryClassAndTheTypeLibraryFromItsFolder) {
    ComPtr<IPersist> object;
    ASSERT_EQ(CoCreateInstance(CLSID_Hyperlink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
              REGDB_E_CLASSNOTREG)
        << "registered somewhere, for the machine or the user";

    // What the system does when it starts Palix.exe: its manifest resource 1, its folder for the assemblies.
    const std::wstring palix = folder_ + L"Palix.exe";
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_APPLICATION_NAME_VALID;
    request.lpSource = palix.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    request.lpApplicationName = folder_.c_str();
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));

    // The dependency was found (it is optional, so a wrong version or name would pass unnoticed until here).
    const std::wstring library = folder_ + L"Dravlix.ocx";
    alignas(8) BYTE detail[4096] = {};
    DWORD index = 2; // the first dependency; 1 is Palix itself
    ASSERT_TRUE(QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, detail,
                             sizeof(detail), nullptr))
        << GetLastError();
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(detail);
    const std::wstring identity = assembly->lpAssemblyEncodedAssemblyIdentity;
    EXPECT_NE(identity.find(L"Dravlix"), std::wstring::npos) << Narrow(identity);
    EXPECT_NE(identity.find(L"version=\"" + FileVersion(library) + L"\""), std::wstring::npos)
        << Narrow(identity) << " against the version resource " << Narrow(FileVersion(library));

    // By class and by ProgID; the context may hand out a class id of its own for a ProgID, which it maps back.
    for (size_t i = 0; i < ControlClassCount; ++i) {
        const ControlClass& control = ControlClasses[i];
        SCOPED_TRACE(Narrow(control.name));
        CLSID byProgId{};
        ASSERT_EQ(CLSIDFromProgID((std::wstring(L"Dravlix.") + control.name).c_str(), &byProgId), S_OK);
        for (const CLSID* clsid : {control.clsid, static_cast<const CLSID*>(&byProgId)}) {
            ASSERT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
            EXPECT_TRUE(SamePath(ModuleOf(object.Get()), library)) << Narrow(ModuleOf(object.Get()));
            CLSID created{};
            EXPECT_EQ(object->GetClassID(&created), S_OK);
            EXPECT_EQ(created, *control.clsid);
        }
    }
    Bstr path;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_Dravlix, 2, 0, LOCALE_NEUTRAL, path.put()), S_OK);
    EXPECT_TRUE(SamePath(path.str(), library)) << Narrow(path.str());

    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
    EXPECT_EQ(CoCreateInstance(CLSID_Hyperlink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
              REGDB_E_CLASSNOTREG);
}

} // namespace
