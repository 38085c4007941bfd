// Intrinsic child controls (label, command button, option button, image) over the system's own windows.
// A control is declared as a member of its container and lives exactly as long as that member.
#pragma once
#include "color.h"
#include "font.h"
#include "handles.h"

#include <functional>
#include <string>
#include <string_view>

// What a control needs of the window that holds it (a form, or later a user control).
class Container {
public:
    virtual HWND ContainerWindow() const = 0;
    virtual SharedFont DefaultFont() const = 0;

protected:
    ~Container() = default;
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND hWnd() const { return hwnd_.get(); }
    int id() const { return GetDlgCtrlID(hwnd_.get()); }

    void Move(int left, int top, int width, int height); // twips, in the container's client area
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);
    void SetFont(SharedFont font);
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    void SetFocus();

    // A container hands its children's notifications and colour requests here; false: not one of ours.
    static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    Control(Container& container, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle = 0);
    virtual void OnCommand(WORD /*notification*/) {}
    void Destroy() { hwnd_.reset(); }

private:
    HBRUSH PrepareColors(HDC dc);

    UniqueHwnd hwnd_;
    SharedFont font_;
    OleColor backColor_ = 0x8000000F; // button face
    OleColor foreColor_ = 0x80000012; // button text
    UniqueHbrush backBrush_;
};

class Label : public Control {
public:
    Label(Container& container, int id);
};

class CommandButton : public Control {
public:
    CommandButton(Container& container, int id);
    std::function<void()> Click;

private:
    void OnCommand(WORD notification) override;
};

// Option buttons declared one after another form one group; none is selected until the user picks one.
class OptionButton : public Control {
public:
    OptionButton(Container& container, int id);
    bool Value() const;
    void SetValue(bool value);
};

// A picture from the program's resources, shown at its own size.
class Image : public Control {
public:
    Image(Container& container, int id);
    ~Image() override;
    void SetPicture(int bitmapResource);
    void SetBorder(bool fixedSingle);

private:
    UniqueHbitmap picture_;
};
