#include "browse_layout.h"

#include <cmath>

namespace {
int Twips(double value) {
    return static_cast<int>(std::lround(value));
}
} // namespace

BrowseFrameLayout LayOutBrowseFrame(int w, int h, int b, float px, float py) {
    BrowseFrameLayout layout;
    layout.button = {w - b, 0, b, h};
    layout.text = {Twips(px), Twips(py), Twips(w - (3.0 * px + b)), h};
    return layout;
}

FontBrowserLayout LayOutFontBrowser(int w, int h, int b, float tx, float ty) {
    FontBrowserLayout layout;
    layout.button = {w - b, 0, b, h};
    layout.label = {Twips(2.0 * tx), Twips(2.0 * ty), Twips(w - 4.0 * tx - b), Twips(h - 4.0 * ty)};
    return layout;
}

int FocusRectRight(int clientRight, int b, float tx) {
    // nearbyint rounds half-way cases to even in the default rounding mode.
    return clientRight - static_cast<int>(std::nearbyint(b / double(tx) + 1.0));
}
