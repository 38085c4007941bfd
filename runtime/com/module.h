// The module the runtime lives in (the control library, or the program that links the runtime): its handle,
// its file, its lock count and its type library.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace Module {
// Set by the library's entry point; until then the running program's own module.
void SetInstance(HINSTANCE instance);
HINSTANCE Instance();

// Every COM object of the module holds one lock for its lifetime, so does IClassFactory::LockServer.
void Lock();
void Unlock();
LONG LockCount();

// Full path of the module's file.
std::wstring Path();
// What the module keeps between its objects (the type library, window classes) so that the next object
// is cheap; released when the module is asked whether it can unload and no object lives.
void AddCache(void (*release)());
void ReleaseCaches();

// The type library embedded as resource 1; kept until the caches are released.
HRESULT TypeLib(ITypeLib** out);
HRESULT TypeInfo(REFGUID guid, ITypeInfo** out);
} // namespace Module
