// Late-bound reads and writes of another object's members by name, as a script would make them.
#pragma once
#include "com/com.h"

// A property (or a method called with at most one argument, such as a collection's Item).
HRESULT GetByName(IDispatch* object, const wchar_t* name, Variant& value, const Variant* argument = nullptr);
HRESULT PutByName(IDispatch* object, const wchar_t* name, const Variant& value);
// The object a variant holds, or null.
ComPtr<IDispatch> DispatchOf(const Variant& value);
