// Dravlix.ocx's entry points: the runtime does the work, given the library's class table.
#include "com/class_factory.h"
#include "class_table.h"
#include "dravlix.h"
#include "com/module.h"
#include "com/registration.h"

#include <olectl.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Module::SetInstance(instance);
    return TRUE;
}

STDAPI DllRegisterServer() {
    return RegisterServer(HKEY_LOCAL_MACHINE, ControlClasses, ControlClassCount, LIBID_Dravlix, L"Dravlix");
}

STDAPI DllUnregisterServer() {
    return UnregisterServer(HKEY_LOCAL_MACHINE, ControlClasses, ControlClassCount, LIBID_Dravlix, L"Dravlix");
}

// "regsvr32 /n /i:user" registers for the calling user only, without administrator rights; "/u /n /i:user"
// removes that again. The machine's registration stays as it is either way.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    if (!commandLine || CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) != CSTR_EQUAL)
        return E_INVALIDARG;
    auto step = install ? RegisterServer : UnregisterServer;
    return step(HKEY_CURRENT_USER, ControlClasses, ControlClassCount, LIBID_Dravlix, L"Dravlix");
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return GetClassObject(ControlClasses, ControlClassCount, clsid, iid, object);
}

STDAPI DllCanUnloadNow() {
    return CanUnloadNow();
}
