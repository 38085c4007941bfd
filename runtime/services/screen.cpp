#include "services/screen.h"

#include <windows.h>

#include <cmath>

namespace {
int ScreenDpi(int index) {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, index) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}
int Round(double v) { return static_cast<int>(std::lround(v)); }
} // namespace

namespace Screen {
int DpiX() {
    static const int dpi = ScreenDpi(LOGPIXELSX);
    return dpi;
}
int DpiY() {
    static const int dpi = ScreenDpi(LOGPIXELSY);
    return dpi;
}
float TwipsPerPixelX() { return 1440.0f / DpiX(); }
float TwipsPerPixelY() { return 1440.0f / DpiY(); }
int TwipsToPixelsX(int twips) { return Round(twips * double(DpiX()) / 1440.0); }
int TwipsToPixelsY(int twips) { return Round(twips * double(DpiY()) / 1440.0); }
int PixelsToTwipsX(int pixels) { return Round(pixels * 1440.0 / DpiX()); }
int PixelsToTwipsY(int pixels) { return Round(pixels * 1440.0 / DpiY()); }
int Width() { return PixelsToTwipsX(GetSystemMetrics(SM_CXSCREEN)); }
int Height() { return PixelsToTwipsY(GetSystemMetrics(SM_CYSCREEN)); }
} // namespace Screen
