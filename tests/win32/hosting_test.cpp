// The real Dravlix.ocx, registered for the test's duration, created by its ProgID and hosted by a container
// we did not write (the AtlAxWin window class of Wine's atl.dll).
#include "com_test_support.h"
#include "dravlix.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {
using namespace test;

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

template <class F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class RegisteredLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        library = LoadLibraryW((BinFolder() + L"Dravlix.ocx").c_str());
        ASSERT_TRUE(library);
        ASSERT_EQ(Export<EntryPoint>(library, "DllRegisterServer")(), S_OK);
    }
    static void TearDownTestSuite() {
        Export<EntryPoint>(library, "DllUnregisterServer")();
        CoFreeUnusedLibraries();
        FreeLibrary(library);
        OleUninitialize();
    }
    void TearDown() override {
        Pump();
        EXPECT_EQ(Export<EntryPoint>(library, "DllCanUnloadNow")(), S_OK) << "an object of the library is alive";
    }
    static inline HMODULE library = nullptr;
};

TEST_F(RegisteredLibrary, LivesInTheAtlContainer) {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    ASSERT_TRUE(atl);
    using Init = BOOL(WINAPI*)();
    using GetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
    ASSERT_TRUE(Export<Init>(atl, "AtlAxWinInit")());

    HostForm form;
    ShowWindow(form.hWnd(), SW_SHOWNA);
    HWND host = CreateWindowExW(0, L"AtlAxWin", L"Dravlix.Hyperlink", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20,
                                form.hWnd(), nullptr, nullptr, nullptr);
    Pump();
    ComPtr<IUnknown> control;
    ASSERT_EQ(Export<GetControl>(atl, "AtlAxGetControl")(host, &control), S_OK);

    HWND window = nullptr;
    ComPtr<IOleWindow> ole;
    ASSERT_EQ(control.As(&ole), S_OK);
    ASSERT_EQ(ole->GetWindow(&window), S_OK);
    EXPECT_EQ(GetParent(window), host);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT r;
    GetClientRect(window, &r);
    EXPECT_EQ(r.right, 200) << "sized by the container's rectangle";

    control.Reset();
    ole.Reset();
    DestroyWindow(host);
    Pump();
    EXPECT_FALSE(IsWindow(window)) << "the control's window outlived its container";
}

} // namespace
