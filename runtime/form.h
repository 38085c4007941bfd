// A top-level form: the window, its menu bar, its children's notifications and the program's message loop.
#pragma once
#include "control.h"

#include <functional>
#include <map>
#include <string_view>

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

class Form : public Container {
public:
    Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hWnd() const { return hwnd_.get(); }
    void SetCaption(std::wstring_view caption);
    void SetClientSize(int width, int height); // twips
    void SetBackColor(OleColor color);
    void SetIcon(int iconResource);

    // Runs Load, shows the form and dispatches messages until the form is gone; the program's exit code.
    int Run(int showCommand);
    // Ends the program at once: the window goes away and no further handler runs.
    void End();

    HWND ContainerWindow() const override { return hwnd_.get(); }
    SharedFont DefaultFont() const override { return font_; }

protected:
    virtual void Load() {}

private:
    friend class MenuItem;
    HMENU MenuBar();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UniqueHwnd hwnd_;
    SharedFont font_;
    OleColor backColor_ = 0x8000000F;
    UniqueHbrush backBrush_;
    UniqueHicon bigIcon_, smallIcon_;
    std::map<UINT, MenuItem*> menuItems_;
    UINT nextMenuId_ = 1000;
    HWND lastFocus_ = nullptr;
    bool ended_ = false;
};
