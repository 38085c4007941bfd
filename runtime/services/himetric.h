// HIMETRIC, hundredths of a millimetre: the unit of the extents containers and controls exchange.
#pragma once

#include <windows.h>

inline LONG HimetricToPixels(LONG himetric, int dpi) { return MulDiv(himetric, dpi, 2540); }
inline LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, 2540, dpi); }
inline LONG TwipsToHimetric(LONG twips) { return MulDiv(twips, 2540, 1440); }
inline LONG HimetricToTwips(LONG himetric) { return MulDiv(himetric, 1440, 2540); }
