// The container side: a place on a form for one ActiveX control. The control is created by its class (or,
// when the class is not registered, from a library file given by the host), loaded from the properties the
// form stores for it, offered ambient properties and an extender, and activated in place in the form.
#pragma once
#include "com/com.h"
#include "intrinsics/control.h"

#include <string>
#include <vector>

// A placed control that holds others (a splitter, a frame) is their container in turn: controls placed
// with it as their container are children of its window, in its coordinates. They must go before it does.
class ActiveXControl : public Container {
public:
    struct StoredProperty {
        const wchar_t* key;
        Variant value;
    };

    ActiveXControl(Container& container, std::wstring name);
    ActiveXControl(const ActiveXControl&) = delete;
    ActiveXControl& operator=(const ActiveXControl&) = delete;
    ~ActiveXControl();

    // Design mode (false) for a host that is a form designer. Set after Create, the control is told, and one
    // that is invisible at run time is shown in design mode and taken away in run mode.
    HRESULT SetUserMode(bool userMode);
    bool UserMode() const { return userMode_; }
    void SetToolTipText(std::wstring text) { toolTipText_ = std::move(text); }

    HRESULT Create(const CLSID& clsid, const std::vector<StoredProperty>& stored,
                   const std::wstring& fallbackLibrary = {});
    // Places a control object the host made itself.
    HRESULT Create(IUnknown* object, const std::vector<StoredProperty>& stored);
    void Move(int left, int top, int width, int height); // twips
    // Where the control is now (twips), also after a control that lays it out moved it.
    void GetPlace(int& left, int& top, int& width, int& height) const;
    // Puts the control's window right after this sibling in the z-order, which is the tab order.
    void PlaceAfter(HWND sibling);

    IUnknown* Object() const { return object_.Get(); }
    HWND hWnd() const;
    bool Created() const { return object_ != nullptr; }

    HWND ContainerWindow() const override;
    ComPtr<IFont> DefaultFont() const override { return container_.DefaultFont(); }

private:
    class Site;
    HRESULT CreateObject(const CLSID& clsid, const std::wstring& fallbackLibrary);
    HRESULT Place(const std::vector<StoredProperty>& stored);
    void Release();

    Container& container_;
    std::wstring name_;
    std::wstring toolTipText_;
    bool userMode_ = true;
    RECT rect_{}; // pixels in the container
    HWND after_ = nullptr;
    HMODULE library_ = nullptr;
    ComPtr<Site> site_;
    ComPtr<IUnknown> object_;
};
