// What DllRegisterServer and DllUnregisterServer (and DllInstall for one user) do for a control library: its
// type library and, per control, the class, ProgID, server, toolbox and status keys under
// <root>\Software\Classes, where root is HKEY_LOCAL_MACHINE (every user) or HKEY_CURRENT_USER (this user).
#pragma once
#include "com/control_class.h"

#include <cstddef>

// On failure nothing stays behind: what was written is removed again and the registry status is returned.
HRESULT RegisterServer(HKEY root, const ControlClass* classes, size_t count, const GUID& libid,
                       const wchar_t* library);
// Removes what RegisterServer writes under the same root and nothing else; keys already gone are not an error.
HRESULT UnregisterServer(HKEY root, const ControlClass* classes, size_t count, const GUID& libid,
                         const wchar_t* library);
