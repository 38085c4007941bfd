// What a container offers a placed control about the form's other controls: a collection (Count, Item(i)
// from 0) of the form's own controls in tab order, read and written by name as a script would. A command
// button answers "Cancel"; the others have nothing to offer yet.
#pragma once
#include <windows.h>
#include <oaidl.h>

HRESULT MakeFormControls(HWND form, IDispatch** collection);
