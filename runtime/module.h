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
// The type library embedded as resource 1; kept while any lock is held, released with the last one.
HRESULT TypeLib(ITypeLib** out);
HRESULT TypeInfo(REFGUID guid, ITypeInfo** out);
} // namespace Module
