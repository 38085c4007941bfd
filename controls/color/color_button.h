// ColorButton: a push button whose face shows the selected colour; a click or the space bar drops down a
// palette of twenty colours and an "Other..." button that opens the colour dialog.
#pragma once
#include "color_geometry.h"
#include "dravlix.h"
#include "float_popup.h"
#include "control/user_control.h"

HRESULT CreateColorButton(REFIID iid, void** object);

class ColorButton final : public DualInterface<ColorButton, _ColorButton>, public UserControl {
public:
    // _ColorButton
    STDMETHODIMP get_SelectedColor(OLE_COLOR* value) override;
    STDMETHODIMP put_SelectedColor(OLE_COLOR New_SelectedColor) override;
    STDMETHODIMP AboutBox() override;

private:
    friend HRESULT CreateControl<ColorButton>(REFIID, void**);
    ColorButton();

    void Initialize() override;
    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Paint() override;
    void MouseDown(short button, short shift, float x, float y) override;
    void MouseUp(short button, short shift, float x, float y) override;
    void Click() override;
    void KeyDown(short& keyCode, short shift) override;
    void EnterFocus() override;
    void ExitFocus() override;

    // Read as a drop-down button whose child is the palette.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return 1; }
    HWND ChildWindow(long child) const override { return child == 1 ? picPopup.hWnd() : nullptr; }
    HRESULT DoDefaultAction(long child) override;
    AccessibleElement PaletteEntry(long k) const;
    void ChoosePaletteEntry(long k);

    void picPopup_Paint();
    void picPopup_MouseMove(short button, short shift, float x, float y);
    void picPopup_MouseDown(short button, short shift, float x, float y);
    void picPopup_MouseUp(short button, short shift, float x, float y);

    void BuildPalette();
    void ShowPopup();
    HRESULT HidePopup();
    void SwitchOffCancel();
    bool PickCustomColor(OLE_COLOR& chosen);
    void DrawFace(bool pressed);
    void DrawCell(int k);
    void HighlightCell(int k);

    OLE_COLOR SelectedColor = 0x00FFFFFF;
    color::PaletteTable Palette{};
    short HotCell = 0;
    ComPtr<IDispatch> CancelControl;
    PictureBox picPopup{*this, 1};
    PopupList popupList{picPopup, color::kOtherCell}; // lets go of the box before the box goes
};
