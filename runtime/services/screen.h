// The screen as controls see it: twips per pixel from the real DPI (15 only at 96 DPI).
#pragma once

namespace Screen {
// Dots per inch, read once: asking the display each time is slow.
int DpiX();
int DpiY();
float TwipsPerPixelX();
float TwipsPerPixelY();
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
// The primary screen's size in twips.
int Width();
int Height();
} // namespace Screen
