// ColorSelector: a drop-down list of the sixteen standard colours, laid out like a combo box: the swatch
// picSelection, the arrow button cmdPopup, and the floating list picPopup. The selection is a colour number.
#pragma once
#include "dravlix.h"
#include "float_popup.h"
#include "control/user_control.h"

HRESULT CreateColorSelector(REFIID iid, void** object);

class ColorSelector final : public DualInterface<ColorSelector, _ColorSelector>, public UserControl {
public:
    // _ColorSelector
    STDMETHODIMP get_SelectedColor(short* value) override;
    STDMETHODIMP put_SelectedColor(short* New_SelectedColor) override; // out of range: ignored, success
    STDMETHODIMP AboutBox() override;

private:
    friend HRESULT CreateControl<ColorSelector>(REFIID, void**);
    ColorSelector();

    void Initialize() override;
    void Resize() override;
    void Show() override;
    void KeyDown(short& keyCode, short shift) override;
    void ExitFocus() override;

    // Read as a combo box whose child is the list.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return 1; }
    HWND ChildWindow(long child) const override { return child == 1 ? picPopup.hWnd() : nullptr; }
    HRESULT DoDefaultAction(long child) override;
    AccessibleElement ListEntry(long entry) const;
    void ChooseListEntry(long entry);

    HRESULT cmdPopup_Click();
    void picSelection_Paint();
    void picPopup_Paint();
    void picPopup_MouseDown(short button, short shift, float x, float y);

    void ShowPopup();
    void HidePopup();
    void MoveSelection(int step);

    short SelectedIndex = 0;
    PictureBox picSelection{*this, 1};
    CommandButton cmdPopup{*this, 2};
    PictureBox picPopup{*this, 3};
    PopupList popupList{picPopup, 16}; // lets go of the box before the box goes
};
