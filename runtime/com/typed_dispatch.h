// IDispatch::Invoke for an object its type library describes. The call is held against the member's FUNCDESC
// and every argument is brought to the declared type before ITypeInfo::Invoke runs it, so that what reaches a
// member never depends on what the system's ITypeInfo::Invoke tolerates.
#pragma once
#include <windows.h>
#include <oaidl.h>

// instance: the interface `info` describes. Fails before the member runs with
//   DISP_E_MEMBERNOTFOUND   no member of that id and kind;
//   DISP_E_PARAMNOTFOUND    a named argument that is no parameter (a put's value is DISPID_PROPERTYPUT);
//   DISP_E_BADPARAMCOUNT    too many or too few arguments;
//   DISP_E_PARAMNOTOPTIONAL a required argument marked as left out;
//   DISP_E_TYPEMISMATCH     an argument that does not convert, or a non-object for an object;
//   DISP_E_OVERFLOW         a number out of the parameter's range;
// the last four with *argError the argument's index in rgvarg. A value passed where the interface takes a
// reference (as scripts do) reaches the member as a reference to a converted copy. A member's own failure
// comes back described: as DISP_E_EXCEPTION in *exception, or without one as its status with the thread's
// error object set.
HRESULT InvokeTyped(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                    VARIANT* result, EXCEPINFO* exception, UINT* argError);
