// One row of a control library's class table: what the class factory and the registration need to know.
#pragma once
#include <windows.h>

struct ControlClass {
    const CLSID* clsid;
    const wchar_t* name; // "Hyperlink": ProgID "<library>.Hyperlink"
    int toolboxBitmap;   // bitmap resource id in the library
    DWORD miscStatus;    // OLEMISC flags
    HRESULT (*create)(REFIID iid, void** object);
};
