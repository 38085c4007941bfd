// Creates the class of a ProgID as any host of this architecture would, through the registry, and tells by
// its exit code which file the object's code came from: 0 the file named, 1 another one, 2 no object.
// Usage: server_file_check <ProgID> <expected library path>
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count != 3) return 3;
    int result = 2;
    CoInitialize(nullptr);
    CLSID clsid;
    IUnknown* object = nullptr;
    if (SUCCEEDED(CLSIDFromProgID(args[1], &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)))) {
        // The module that holds the object's first virtual function table.
        HMODULE module = nullptr;
        wchar_t loaded[MAX_PATH] = L"", expected[MAX_PATH] = L"";
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           *reinterpret_cast<const wchar_t* const*>(object), &module);
        GetModuleFileNameW(module, loaded, MAX_PATH);
        GetFullPathNameW(args[2], MAX_PATH, expected, nullptr);
        result = module && CompareStringOrdinal(loaded, -1, expected, -1, TRUE) == CSTR_EQUAL ? 0 : 1;
        object->Release();
    }
    CoUninitialize();
    LocalFree(args);
    return result;
}
