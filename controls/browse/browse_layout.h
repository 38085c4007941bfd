// Where the browse boxes put their children: pure arithmetic in twips, so that it is tested without a window.
#pragma once

struct TwipRect {
    int left, top, width, height;
};

// The browse-box frame in an inner area of w by h twips, with a button b twips wide and one pixel of
// px by py twips: the button against the right edge at full height, the text box one pixel in from the
// left and top and two pixels short of the button. The text box's width is negative when the area is
// narrower than b + 3 px; moving it then fails and it stays where it was.
struct BrowseFrameLayout {
    TwipRect button, text;
};
BrowseFrameLayout LayOutBrowseFrame(int w, int h, int b, float px, float py);

// FontBrowser: the button (b twips wide) against the right edge, the label inset by two pixels all round.
struct FontBrowserLayout {
    TwipRect button, label;
};
FontBrowserLayout LayOutFontBrowser(int w, int h, int b, float tx, float ty);

// The right edge, in pixels, of FontBrowser's focus rectangle in a client area clientRight pixels wide:
// one pixel short of a button b twips wide (ties rounded to even).
int FocusRectRight(int clientRight, int b, float tx);
