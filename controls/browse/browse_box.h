// The browse-box frame that FileBrowser and FolderBrowser share: a borderless text box txtFolder with a
// browse button cmdBrowse at its right, inside a bordered container. The nine text-box properties live in
// txtFolder alone; the button and Alt+Down run the browse action, which asks the derived control's dialog
// for a path and puts it into the text box.
#pragma once
#include "control/user_control.h"

#include <string>

enum class BrowseIcon { Sheet, Folder };

template <class Interface> class BrowseBox : public ControlBase<BrowseBox<Interface>, Interface> {
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
    STDMETHODIMP get_Locked(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Locked(VARIANT_BOOL New_Locked) override;
    STDMETHODIMP get_SelLength(long* value) override;
    STDMETHODIMP put_SelLength(long New_SelLength) override;
    STDMETHODIMP get_SelStart(long* value) override;
    STDMETHODIMP put_SelStart(long New_SelStart) override;
    STDMETHODIMP get_SelText(BSTR* value) override;
    STDMETHODIMP put_SelText(BSTR New_SelText) override;
    STDMETHODIMP get_Text(BSTR* value) override;
    STDMETHODIMP put_Text(BSTR New_Text) override;

    // The browse action. It first moves the focus to the text box; when the runtime refuses that (the
    // text box is disabled or hidden) it fails with the runtime's status before any dialog opens.
    HRESULT Browse();

protected:
    BrowseBox(const CLSID& clsid, const IID& events, BrowseIcon icon);

    // Opens the control's dialog: the chosen path, or "" when the user cancelled.
    virtual HRESULT ShowDialog(std::wstring& path) = 0;

    // The nine text-box keys; a derived control reads and writes its own after them.
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    void Paint() override;
    void Show() override;
    void KeyDown(short& keyCode, short shift) override;

    // Read as a text field with the browse button as its child.
    AccessibleElement Describe(long child) const override;
    long ChildCount() const override { return 1; }
    HRESULT DoDefaultAction(long child) override;

private:
    void cmdBrowse_Click();
    void txtFolder_Change();

    CommandButton cmdBrowse{*this, 1};
    TextBox txtFolder{*this, 2};
};
