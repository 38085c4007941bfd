// Hyperlink: a line of text that opens an address through the shell when clicked. It draws nothing itself:
// Label1 shows the text over the whole control and takes the mouse; the hidden lblURL holds the address.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

HRESULT CreateHyperlink(REFIID iid, void** object);

class Hyperlink final : public DualInterface<Hyperlink, _Hyperlink>, public UserControl {
public:
    // _Hyperlink
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP get_BackColor(OLE_COLOR* value) override;
    STDMETHODIMP put_BackColor(OLE_COLOR New_BackColor) override;
    STDMETHODIMP get_ForeColor(OLE_COLOR* value) override;
    STDMETHODIMP put_ForeColor(OLE_COLOR New_ForeColor) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL New_Enabled) override;
    STDMETHODIMP get_Font(IFontDisp** value) override;
    STDMETHODIMP putref_Font(IFontDisp* New_Font) override;
    STDMETHODIMP get_BackStyle(short* value) override;
    STDMETHODIMP put_BackStyle(short New_BackStyle) override;
    STDMETHODIMP get_BorderStyle(short* value) override;
    STDMETHODIMP put_BorderStyle(short New_BorderStyle) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP get_Hyperlink(BSTR* value) override;
    STDMETHODIMP put_Hyperlink(BSTR New_Hyperlink) override;
    STDMETHODIMP get_Caption(BSTR* value) override;
    STDMETHODIMP put_Caption(BSTR New_Caption) override;

private:
    friend HRESULT CreateControl<Hyperlink>(REFIID, void**);
    Hyperlink();

    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    void KeyDown(short& keyCode, short shift) override;
    void KeyPress(short& keyAscii) override;
    void KeyUp(short& keyCode, short shift) override;

    // Read as a link named by its caption, whose value is the address.
    AccessibleElement Describe(long child) const override;
    HRESULT DoDefaultAction(long child) override;

    void Label1_Click();
    void Label1_DblClick();
    void Label1_MouseDown(short button, short shift, float x, float y);
    void Label1_MouseMove(short button, short shift, float x, float y);
    void Label1_MouseUp(short button, short shift, float x, float y);

    Label Label1{*this, 1};
    Label lblURL{*this, 2};
};
