// Dravlix.ocx's entry points: the runtime does the work, given the library's class table.
#include "class_factory.h"
#include "class_table.h"
#include "dravlix.h"
#include "module.h"
#include "registration.h"

#include <olectl.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Module::SetInstance(instance);
    return TRUE;
}

STDAPI DllRegisterServer() {
    return RegisterServer(ControlClasses, ControlClassCount, LIBID_Dravlix, L"Dravlix");
}

STDAPI DllUnregisterServer() {
    return UnregisterServer(ControlClasses, ControlClassCount, LIBID_Dravlix, L"Dravlix");
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return GetClassObject(ControlClasses, ControlClassCount, clsid, iid, object);
}

STDAPI DllCanUnloadNow() {
    return CanUnloadNow();
}
