// FontBrowser: the name of the current font, written in that font, with a "..." button at the right. The
// button (or Alt+Down) opens the system font dialog on the current font and text colour; confirming it
// changes both and raises Change with the font object.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

HRESULT CreateFontBrowser(REFIID iid, void** object);

class FontBrowser final : public DualInterface<FontBrowser, _FontBrowser>, public UserControl {
public:
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP get_BackColor(OLE_COLOR* value) override;
    STDMETHODIMP put_BackColor(OLE_COLOR New_BackColor) override;
    STDMETHODIMP get_ForeColor(OLE_COLOR* value) override;
    STDMETHODIMP put_ForeColor(OLE_COLOR New_ForeColor) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL New_Enabled) override;
    STDMETHODIMP get_Font(IFontDisp** value) override;
    STDMETHODIMP putref_Font(IFontDisp* New_Font) override;
    STDMETHODIMP Refresh() override;

    // The browse sequence that a click on the button and Alt+Down run.
    HRESULT Browse();

private:
    friend HRESULT CreateControl<FontBrowser>(REFIID, void**);
    FontBrowser();

    void Initialize() override;
    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    void Show() override;
    void Paint() override;
    void EnterFocus() override;
    void ExitFocus() override;
    void KeyDown(short& keyCode, short shift) override;

    // Read as the font's name in read-only text, with the browse button as its child.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return 1; }
    HRESULT DoDefaultAction(long child) override;

    void picBrowse_MouseDown(short button, short shift, float x, float y);
    void picBrowse_MouseUp(short button, short shift, float x, float y);
    void picBrowse_Paint();
    void picBrowse_Click();
    void DrawBrowseButton(bool pressed);
    // Repaints the control's own surface (the focus look), leaving the button as it is drawn.
    void RepaintSurface();
    HRESULT ShowFont(ComPtr<IFont> font);

    // Opens the font dialog on font f and colour c, for screen fonts when d is -1 (else the printer's of
    // device context d), owned by o (none when -1). S_OK: confirmed, f and c updated; S_FALSE: cancelled.
    static HRESULT ShowFontDialog(IFont* f, LONG_PTR d, HWND o, OleColor& c);

    PictureBox picBrowse{*this, 1};
    Label lblFont{*this, 2};
};
