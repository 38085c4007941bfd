// Dravlix.ocx as a COM client meets it (loaded, its exports called, its version resource read) and the
// pieces of the library frame that the test program links directly: the module, App and the About box.
#include "about_box.h"
#include "class_table.h"
#include "com_test_support.h"
#include "services/app.h"
#include "com/class_factory.h"
#include "dravlix.h"
#include "com/module.h"
#include "services/platform.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {
using namespace test;

const wchar_t kAboutCaption[] = L"About Quendral Controls";
const wchar_t kAboutText[] = L"Quendral\r\n\r\n"
                             L"Common ActiveX Controls for Quendral Modules\r\n\r\n"
                             L"Collection of AxtiveX controls for General Use\r\n\r\n"
                             L"\u00A9Copyright (C) 2026 Quendral.\r\n All rights reserved.\r\n";

// An export by name, in the type the caller expects (through void(*)(), which the compiler lets pass).
template <class Function> Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class Library : public testing::Test {
protected:
    void SetUp() override {
        library_ = LoadLibraryW((BinFolder() + L"Dravlix.ocx").c_str());
        ASSERT_NE(library_, nullptr) << GetLastError();
        getClassObject_ = Export<decltype(getClassObject_)>(library_, "DllGetClassObject");
        canUnloadNow_ = Export<decltype(canUnloadNow_)>(library_, "DllCanUnloadNow");
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
    }

    HMODULE library_ = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
};

TEST_F(Library, ExportsExactlyTheFiveEntryPoints) {
    // Loaded into this program, it has this program's layout of headers.
    auto* base = reinterpret_cast<const BYTE*>(library_);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(entry.VirtualAddress, 0u);
    auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.emplace_back(reinterpret_cast<const char*>(base + names[i])); // sorted, for the loader's search
    EXPECT_EQ(found, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllInstall",
                                               "DllRegisterServer", "DllUnregisterServer"}));
    EXPECT_EQ(exports->NumberOfFunctions, 5u); // nothing exported by ordinal only either
}

TEST_F(Library, HandsOutFactoriesOnlyForItsClassesAndCountsThemAndTheirLocks) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(GUID_NULL, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(getClassObject_(CLSID_Hyperlink, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(canUnloadNow_(), S_OK) << "a refused factory stayed alive";

    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject_(CLSID_Hyperlink, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    IUnknown* outer = factory; // any unknown will do: aggregation is refused before it is used
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the server lock must outlive the factory";

    ASSERT_EQ(getClassObject_(CLSID_Hyperlink, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    // One unlock too many is refused instead of counting the factory itself away.
    EXPECT_EQ(factory->LockServer(FALSE), E_UNEXPECTED);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST(VersionResource, OfTheLibraryFileCarriesItsVersionAndTexts) {
    const std::wstring file = BinFolder() + L"Dravlix.ocx";
    std::vector<BYTE> block(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ((std::array{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                          fixed->dwProductVersionLS}),
              (std::array<DWORD, 4>{0x00010000, 15, 0x00010000, 15}));

    auto field = [&](const std::wstring& name) -> std::wstring {
        wchar_t* text = nullptr;
        UINT chars = 0;
        const std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
        const bool found = VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &chars);
        return found ? text : L"<absent>";
    };
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"Comments", L"Common ActiveX Controls for Quendral Modules"},
        {L"CompanyName", L"Quendral"},
        {L"FileDescription", L"Collection of AxtiveX controls for General Use"},
        {L"FileVersion", L"1.00.0015"},
        {L"InternalName", L"Dravlix"},
        {L"LegalCopyright", L"Copyright (C) 2026 Quendral. All rights reserved."},
        {L"LegalTrademarks", L"Quendral"},
        {L"OriginalFilename", L"Dravlix.ocx"},
        {L"ProductName", L"Dravlix"},
        {L"ProductVersion", L"1.00.0015"},
        {L"OLESelfRegister", L""},
    };
    for (auto [name, text] : expected) {
        EXPECT_EQ(field(name), text) << Narrow(name);
        // The runtime's own reader, over the same resource linked into this program, agrees.
        EXPECT_EQ(App::VersionField(name), text) << Narrow(name);
    }
    EXPECT_EQ(App::VersionField(L"NoSuchField"), L"");
    EXPECT_EQ(App::VersionField(L"companyname"), L"") << "keys are exact";
}

// That it finds its type library every late-bound call shows; here, what it keeps and a type it lacks.
TEST(Module, IsThisProgramUntilTheLibrarySaysOtherwiseAndKeepsItsTypeLibraryOnlyWhileNeeded) {
    EXPECT_EQ(Module::Instance(), GetModuleHandleW(nullptr));
    const std::wstring folder = BinFolder();
    EXPECT_EQ(App::Path() + L"\\", folder);
    EXPECT_EQ(Module::Path().substr(0, folder.size()), folder);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(Module::TypeInfo(GUID_NULL, &info), TYPE_E_ELEMENTNOTFOUND);

    ASSERT_EQ(Module::LockCount(), 0);
    ITypeLib* typeLib = nullptr;
    Module::Lock();
    ASSERT_EQ(Module::TypeLib(&typeLib), S_OK);
    auto references = [typeLib] {
        typeLib->AddRef();
        return typeLib->Release();
    };
    const ULONG cached = references();
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    Module::Unlock();
    EXPECT_EQ(references(), cached) << "kept for the next object";
    EXPECT_EQ(CanUnloadNow(), S_OK);
    EXPECT_EQ(cached - references(), 1u) << "an unloadable module holds nothing";
    typeLib->Release();
}

// What each class registers and what its objects report: toolbox bitmap, status flags, an About box or none.
using ControlClassTable = LibraryTest;

TEST_F(ControlClassTable, EveryObjectReportsTheStatusItsClassRegisters) {
    // Recompose on resize, can't link inside, inside-out, activate when visible, set client site first.
    constexpr DWORD common = 0x20191;
    const std::map<std::wstring, std::tuple<int, DWORD, bool>> expected = {
        {L"FolderBrowser", {30009, common, true}},
        {L"FileBrowser", {30008, common, true}},
        {L"ColorBrowser", {30007, common, true}},
        {L"ColorButton", {30006, common | OLEMISC_ACTSLIKEBUTTON, true}},
        {L"ColorSelector", {30005, common, true}},
        {L"Hyperlink", {30004, common, true}},
        {L"Splitter", {30003, common | OLEMISC_ALIGNABLE | OLEMISC_SIMPLEFRAME, true}},
        {L"FontBrowser", {30002, common, true}},
        {L"Label3D", {30001, common, false}},
        {L"TrayArea", {30000, common | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_NOUIACTIVATE, false}},
    };
    RecordingPlatform platform;
    PlatformOverride useIt(platform);
    ASSERT_EQ(ControlClassCount, expected.size());
    for (size_t i = 0; i < ControlClassCount; ++i) {
        const ControlClass& row = ControlClasses[i];
        SCOPED_TRACE(Narrow(row.name));
        ASSERT_EQ(expected.count(row.name), 1u);
        const auto [bitmap, status, about] = expected.at(row.name);
        ComPtr<IOleObject> ole;
        ASSERT_EQ(row.create(IID_PPV_ARGS(&ole)), S_OK);
        DWORD reported = 0;
        EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &reported), S_OK);
        platform.messages.clear();
        const bool shown = SUCCEEDED(CallMethod(ole.Get(), L"AboutBox"));
        EXPECT_EQ(std::tuple(row.toolboxBitmap, row.miscStatus, reported, shown, platform.messages.size()),
                  std::tuple(bitmap, status, status, about, size_t(about)));
    }
}

// Remembers the owner and style of the message boxes it answers, or fails them as the system may.
struct AboutPlatform : RecordingPlatform {
    int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        this->owner = owner;
        this->type = type;
        if (fail) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return fail ? 0 : RecordingPlatform::MessageBox(owner, text, caption, type);
    }
    bool fail = false;
    HWND owner = reinterpret_cast<HWND>(1);
    UINT type = 0xFFFF;
};

TEST(AboutBox, AsksThePlatformForAPlainMessageBoxOwnedByTheActiveWindow) {
    AboutPlatform platform;
    PlatformOverride installed(platform);

    // A thread of its own has no active window: the box then has no owner.
    HRESULT result = E_FAIL;
    std::thread([&] { result = ShowAboutBox(); }).join();
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(platform.messages, std::vector<std::wstring>{kAboutText});
    EXPECT_EQ(platform.owner, nullptr);
    EXPECT_EQ(platform.type, static_cast<UINT>(MB_OK)); // no icon, no other button, no modality flags

    std::thread([&] {
        HWND window = CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                      nullptr, nullptr, nullptr, nullptr);
        SetActiveWindow(window);
        result = ShowAboutBox();
        EXPECT_EQ(platform.owner, window);
        DestroyWindow(window);
    }).join();
    EXPECT_EQ(result, S_OK);

    platform.fail = true;
    EXPECT_EQ(ShowAboutBox(), HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(AboutBox, ShowsTheRealMessageBoxUntilTheUserPressesOk) {
    HRESULT result = E_FAIL;
    std::thread shower([&] { result = ShowAboutBox(); });
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindWindowW(L"#32770", kAboutCaption)) && IsWindowVisible(box); })) {
        shower.join(); // it returned without showing anything, or the join hangs and the test times out
        FAIL() << "no About box appeared; ShowAboutBox returned " << std::hex << result;
    }
    const std::wstring texts = ChildTexts(box);
    EXPECT_NE(texts.find(std::wstring(kAboutText) + L"\n"), std::wstring::npos) << Narrow(texts);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    shower.join();
    EXPECT_EQ(result, S_OK);
}

} // namespace
