// Colour values as properties carry them: 0x00BBGGRR, or 0x800000nn for system colour nn.
#pragma once
#include <windows.h>

using OleColor = DWORD;

// Resolved at drawing time, so a system colour follows the user's scheme.
COLORREF ResolveColor(OleColor color);
