#include "services/do_events.h"

namespace {
bool (*messagePreview)(MSG&) = nullptr;
} // namespace

void SetMessagePreview(bool (*preview)(MSG& msg)) {
    messagePreview = preview;
}

void DoEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // the program's loop still has to see it
            return;
        }
        if (messagePreview && messagePreview(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
