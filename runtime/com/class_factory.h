// The class objects behind DllGetClassObject and the answer behind DllCanUnloadNow.
#pragma once
#include "com/control_class.h"

#include <cstddef>

// A class factory for the class of the table with that identity; CLASS_E_CLASSNOTAVAILABLE for any other.
HRESULT GetClassObject(const ControlClass* classes, size_t count, REFCLSID clsid, REFIID iid, void** object);
// S_OK when no object of the module and no server lock remains, S_FALSE otherwise.
HRESULT CanUnloadNow();
