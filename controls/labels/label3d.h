// Label3D: a caption with a raised or sunken look. It draws nothing itself: two see-through labels hold the
// same caption in the same font, the back one (Label1) shifted one step diagonally behind the front one
// (Label2), whose mouse events are the control's.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

HRESULT CreateLabel3D(REFIID iid, void** object);

class Label3D final : public DualInterface<Label3D, _Label3D>, public UserControl {
public:
    // _Label3D
    STDMETHODIMP get_Enabled(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL New_Enabled) override;
    STDMETHODIMP get_Font(IFontDisp** value) override;
    STDMETHODIMP putref_Font(IFontDisp* New_Font) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP get_ForeColor1(OLE_COLOR* value) override;
    STDMETHODIMP put_ForeColor1(OLE_COLOR New_ForeColor1) override;
    STDMETHODIMP get_ForeColor2(OLE_COLOR* value) override;
    STDMETHODIMP put_ForeColor2(OLE_COLOR New_ForeColor2) override;
    STDMETHODIMP get_Caption(BSTR* value) override;
    STDMETHODIMP put_Caption(BSTR New_Caption) override;
    STDMETHODIMP get_Alignment(T_Align* value) override;
    STDMETHODIMP put_Alignment(T_Align New_Alignment) override;
    STDMETHODIMP get_Phase(T_Phase* value) override;
    STDMETHODIMP put_Phase(T_Phase New_Phase) override;
    STDMETHODIMP get_BackColor(OLE_COLOR* value) override;
    STDMETHODIMP put_BackColor(OLE_COLOR New_BackColor) override;
    STDMETHODIMP get_BorderStyle(T_BorderStyle* value) override;
    STDMETHODIMP put_BorderStyle(T_BorderStyle New_BorderStyle) override;

private:
    friend HRESULT CreateControl<Label3D>(REFIID, void**);
    Label3D();

    void Initialize() override;
    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    // Not error-free like the other controls' layouts: a failing step ends it with its status.
    HRESULT Layout();
    // Read as static text, the caption its name.
    AccessibleElement Describe(long child) const override;

    void Label2_Click();
    void Label2_DblClick();
    void Label2_MouseDown(short button, short shift, float x, float y);
    void Label2_MouseMove(short button, short shift, float x, float y);
    void Label2_MouseUp(short button, short shift, float x, float y);

    unsigned char Phase = 0;
    Label Label1{*this, 1};
    Label Label2{*this, 2};
};
