// A top-level form: the window, its menu bar, its children's notifications and the program's message loop.
#pragma once
#include "intrinsics/control.h"
#include "services/do_events.h"

#include <functional>
#include <map>
#include <string_view>
#include <vector>

class Form;

// A menu bar entry opens a menu of the items declared under it; an item under it runs Click.
class MenuItem {
public:
    MenuItem(Form& form, std::wstring_view caption);
    MenuItem(MenuItem& parent, std::wstring_view caption);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    ~MenuItem();

    std::function<void()> Click;
    UINT id() const { return id_; }

private:
    Form& form_;
    HMENU submenu_ = nullptr; // owned by the menu bar once appended
    UINT id_ = 0;
};

// Sees every message of the thread's loop before the form does (an in-place object's accelerators).
class MessageFilter {
public:
    virtual bool PreTranslate(MSG& msg) = 0; // true: handled, not dispatched

protected:
    ~MessageFilter() = default;
};

// A screen reader reads the form's windowless children (labels, images) as its first children, in their
// order front first, then its child windows, each of which answers for itself.
class Form : public Container, public AccessibleSource {
public:
    Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hWnd() const { return hwnd_.get(); }
    void SetCaption(std::wstring_view caption);
    void SetClientSize(int width, int height); // twips
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    void SetIcon(int iconResource);
    Microsoft::WRL::ComPtr<IFont> Font() const { return font_; }

    // With KeyPreview the form's key events see every key of the form before the control with the focus;
    // a handler may change the key or set it to 0 to swallow it.
    bool KeyPreview = false;
    std::function<void(short& keyCode, short shift)> KeyDown;
    std::function<void(short& keyCode, short shift)> KeyUp;
    std::function<void(short& keyAscii)> KeyPress;

    // Our controls on the form: the windows in tab order, then the windowless ones.
    std::vector<Control*> Controls() const;
    // Puts a child window (one of ours or a foreign one, such as an embedded object's) into the tab order
    // right after another child; after null: first.
    void PlaceInTabOrder(HWND child, HWND after);
    void AddMessageFilter(MessageFilter& filter);
    void RemoveMessageFilter(MessageFilter& filter);

    // What the loop does with a message before dispatching it: filters, key preview, Enter and Escape for
    // the default and cancel buttons, dialog navigation. True: handled, not to be dispatched.
    bool PreTranslateMessage(MSG& msg);

    // Runs Load, shows the form and dispatches messages until the form is gone; the program's exit code.
    int Run(int showCommand);
    // Ends the program at once: the window goes away and no further handler runs.
    void End();

    HWND ContainerWindow() const override { return hwnd_.get(); }
    Microsoft::WRL::ComPtr<IFont> DefaultFont() const override { return font_; }

    AccessibleElement Describe(long child) const override;
    long ChildCount() const override;
    HWND ChildWindow(long child) const override;
    HRESULT DoDefaultAction(long child) override;

protected:
    virtual void Load() {}

private:
    friend class MenuItem;
    HMENU MenuBar();
    bool PreviewFormKey(MSG& msg);
    bool PressLabelAccessKey(const MSG& msg);
    Control* WindowlessChild(long child) const;
    bool PressDefaultOrCancel(const MSG& msg, bool& passOn);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintBackground(HDC dc);

    UniqueHwnd hwnd_;
    Microsoft::WRL::ComPtr<IFont> font_;
    OleColor backColor_ = 0x8000000F;
    UniqueHicon bigIcon_, smallIcon_;
    std::map<UINT, MenuItem*> menuItems_;
    std::vector<MessageFilter*> filters_;
    UINT nextMenuId_ = 1000;
    HWND lastFocus_ = nullptr;
    bool ended_ = false;
};
