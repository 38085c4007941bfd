// What DllRegisterServer and DllUnregisterServer do for a control library: its type library and, per control,
// the class, ProgID, server, toolbox and status keys under HKEY_CLASSES_ROOT.
#pragma once
#include "control_class.h"

#include <cstddef>

// On failure nothing stays behind: what was written is removed again and the registry status is returned.
HRESULT RegisterServer(const ControlClass* classes, size_t count, const GUID& libid, const wchar_t* library);
// Removes what RegisterServer writes and nothing else; keys already gone are not an error.
HRESULT UnregisterServer(const ControlClass* classes, size_t count, const GUID& libid,
                         const wchar_t* library);
