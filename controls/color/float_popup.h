// The drop-down the palette controls share: a picture box of the control, turned into a floating tool
// window, placed against the control and the screen's edges, shown with the mouse captured, hidden again.
#pragma once
#include "services/accessible.h"
#include "intrinsics/control.h"

#include <functional>

// Before anything is shown: the box becomes a top-level tool window that still raises its events.
void FloatPopup(PictureBox& popup);

// Places the popup under (or over) the control's window, shows it in front, paints it at once, lets the
// pending messages run, repaints the control's face and captures the mouse for the popup.
void ShowPopup(HWND control, PictureBox& popup, const std::function<void()>& paintPopup,
               const std::function<void()>& repaintFace);

// Releases the capture if the popup holds it, hides the popup, lets the pending messages run and
// repaints the control's face.
void HidePopup(PictureBox& popup, const std::function<void()>& repaintFace);

// What a screen reader reads of a drop-down: a list of its owner's entries, each chosen by its default
// action as a click would choose it.
class PopupList final : public AccessibleSource {
public:
    PopupList(PictureBox& popup, long entries);
    ~PopupList();

    // Entry 1..entries, its place in the popup's client pixels; the list adds where that is on the screen.
    std::function<AccessibleElement(long entry)> Entry;
    std::function<void(long entry)> Choose;

    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return entries_; }
    HRESULT DoDefaultAction(long child) override;

private:
    PictureBox& popup_;
    long entries_;
};
