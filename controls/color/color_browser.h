// ColorBrowser: a swatch of the selected colour with a browse button at its right end that opens the
// system's colour dialog; a confirmed colour raises Change, whose argument is the selected colour itself.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

HRESULT CreateColorBrowser(REFIID iid, void** object);

class ColorBrowser final : public DualInterface<ColorBrowser, _ColorBrowser>, public UserControl {
public:
    // _ColorBrowser
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP put_SelectedColor(LONG* New_SelectedColor) override;
    STDMETHODIMP get_SelectedColor(LONG* value) override;
    STDMETHODIMP get_AllowCustomColors(VARIANT_BOOL* value) override;
    STDMETHODIMP put_AllowCustomColors(VARIANT_BOOL New_AllowCustomColors) override;

private:
    friend HRESULT CreateControl<ColorBrowser>(REFIID, void**);
    ColorBrowser();

    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    void Show() override;
    void KeyDown(short& keyCode, short shift) override;

    // Read as a browse box: the colour as read-only text, the browse button its child.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return 1; }
    HRESULT DoDefaultAction(long child) override;

    HRESULT cmdBrowse_Click();
    void picSelection_Paint();
    bool ShowColorDialog(LONG& selectedColor, bool& allowCustomColors);

    LONG SelectedColor = 0;
    bool AllowCustomColors = true;
    PictureBox picSelection{*this, 1};
    CommandButton cmdBrowse{*this, 2};
};
