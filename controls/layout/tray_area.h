// TrayArea: an icon in the notification area with a tool tip, whose mouse actions reach the host as
// events. Invisible at run time; a designer sees a fixed icon. The shell reports each mouse action on the
// icon to the control's window as a mouse move whose x carries the action.
#pragma once
#include "dravlix.h"
#include "control/user_control.h"

#include <shellapi.h>

#include <string>

HRESULT CreateTrayArea(REFIID iid, void** object);

class TrayArea final : public DualInterface<TrayArea, _TrayArea>, public UserControl {
public:
    // _TrayArea
    STDMETHODIMP get_Icon(IPictureDisp** value) override;
    STDMETHODIMP putref_Icon(IPictureDisp* New_Icon) override;
    STDMETHODIMP get_ToolTip(BSTR* value) override;
    STDMETHODIMP put_ToolTip(BSTR New_ToolTip) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL* value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL New_Visible) override;

private:
    friend HRESULT CreateControl<TrayArea>(REFIID, void**);
    TrayArea();
    ~TrayArea() override;

    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    void Resize() override;
    void MouseMove(short button, short shift, float x, float y) override;
    void Terminate() override;
    // Read as the picture a designer sees, the tool tip its value.
    AccessibleElement Describe(long child) const override;

    HRESULT AddIcon(bool newIdentifier);
    void FillTip();
    static LRESULT CALLBACK WatchShell(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self) noexcept;

    ComPtr<IPictureDisp> icon_;
    std::wstring toolTip_;
    bool visible_ = false;
    bool shown_ = false;         // the icon is in the notification area now
    NOTIFYICONDATAW notify_{};   // every shell call passes this one, so modify and delete find what was added
    bool resizing_ = false;
    UniqueHwnd shellWatcher_;    // a restarted shell announces itself to top-level windows only
    Image Image1{*this, 1};
};
