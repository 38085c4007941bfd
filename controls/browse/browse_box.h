// The browse-box frame that FileBrowser and FolderBrowser share: a borderless text box txtFolder with a
// browse button cmdBrowse at its right, inside a bordered container. The nine text-box properties live in
// txtFolder alone; the button and Alt+Down run the browse action, which asks the derived control's dialog
// for a path and puts it into the text box.
#pragma once
#include "misc_status.h"
#include "control/user_control.h"

#include <string>

enum class BrowseIcon { Sheet, Folder };

// The frame itself, once for both controls. Its members of the interfaces are not virtual here:
// BrowseBoxMembers<> serves them for each control's own interface.
class BrowseBox : public UserControl {
public:
    HRESULT AboutBox();
    HRESULT get_BackColor(OLE_COLOR* value);
    HRESULT put_BackColor(OLE_COLOR New_BackColor);
    HRESULT get_ForeColor(OLE_COLOR* value);
    HRESULT put_ForeColor(OLE_COLOR New_ForeColor);
    HRESULT get_Enabled(VARIANT_BOOL* value);
    HRESULT put_Enabled(VARIANT_BOOL New_Enabled);
    HRESULT get_Font(IFontDisp** value);
    HRESULT putref_Font(IFontDisp* New_Font);
    HRESULT Refresh();
    HRESULT get_Locked(VARIANT_BOOL* value);
    HRESULT put_Locked(VARIANT_BOOL New_Locked);
    HRESULT get_SelLength(long* value);
    HRESULT put_SelLength(long New_SelLength);
    HRESULT get_SelStart(long* value);
    HRESULT put_SelStart(long New_SelStart);
    HRESULT get_SelText(BSTR* value);
    HRESULT put_SelText(BSTR New_SelText);
    HRESULT get_Text(BSTR* value);
    HRESULT put_Text(BSTR New_Text);

    // The browse action. It first moves the focus to the text box; when the runtime refuses that (the
    // text box is disabled or hidden) it fails with the runtime's status before any dialog opens.
    HRESULT Browse();

protected:
    BrowseBox(const ClassIdentity& identity, IDispatch* dual, BrowseIcon icon);

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

// A browse box's dual interface: the members the two controls share, served by the frame.
//     class FolderBrowser final : public BrowseBoxMembers<FolderBrowser, _FolderBrowser>, public BrowseBox
template <class Self, class Interface> class BrowseBoxMembers : public DualInterface<Self, Interface> {
public:
    STDMETHODIMP AboutBox() override { return Box().AboutBox(); }
    STDMETHODIMP get_BackColor(OLE_COLOR* value) override { return Box().get_BackColor(value); }
    STDMETHODIMP put_BackColor(OLE_COLOR New_BackColor) override {
        return Box().put_BackColor(New_BackColor);
    }
    STDMETHODIMP get_ForeColor(OLE_COLOR* value) override { return Box().get_ForeColor(value); }
    STDMETHODIMP put_ForeColor(OLE_COLOR New_ForeColor) override {
        return Box().put_ForeColor(New_ForeColor);
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* value) override { return Box().get_Enabled(value); }
    STDMETHODIMP put_Enabled(VARIANT_BOOL New_Enabled) override { return Box().put_Enabled(New_Enabled); }
    STDMETHODIMP get_Font(IFontDisp** value) override { return Box().get_Font(value); }
    STDMETHODIMP putref_Font(IFontDisp* New_Font) override { return Box().putref_Font(New_Font); }
    STDMETHODIMP Refresh() override { return Box().Refresh(); }
    STDMETHODIMP get_Locked(VARIANT_BOOL* value) override { return Box().get_Locked(value); }
    STDMETHODIMP put_Locked(VARIANT_BOOL New_Locked) override { return Box().put_Locked(New_Locked); }
    STDMETHODIMP get_SelLength(long* value) override { return Box().get_SelLength(value); }
    STDMETHODIMP put_SelLength(long New_SelLength) override { return Box().put_SelLength(New_SelLength); }
    STDMETHODIMP get_SelStart(long* value) override { return Box().get_SelStart(value); }
    STDMETHODIMP put_SelStart(long New_SelStart) override { return Box().put_SelStart(New_SelStart); }
    STDMETHODIMP get_SelText(BSTR* value) override { return Box().get_SelText(value); }
    STDMETHODIMP put_SelText(BSTR New_SelText) override { return Box().put_SelText(New_SelText); }
    STDMETHODIMP get_Text(BSTR* value) override { return Box().get_Text(value); }
    STDMETHODIMP put_Text(BSTR New_Text) override { return Box().put_Text(New_Text); }

protected:
    static UserControl::ClassIdentity BrowseClass(const CLSID& clsid, const IID& events) {
        return DualInterface<Self, Interface>::ClassOf(clsid, events, kCommonStatus, 2535, 465);
    }

private:
    BrowseBox& Box() { return *static_cast<Self*>(this); }
};
