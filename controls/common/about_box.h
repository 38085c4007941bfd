// The About box that the controls' AboutBox methods show.
#pragma once
#include <windows.h>

// Shows the library's maker, comments, description and copyright in a modal message box owned by the
// thread's active window; returns when the user closes it.
HRESULT ShowAboutBox();
