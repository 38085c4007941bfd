// Intrinsic child controls (label, text box, command button, option button, picture box, image) and what
// they ask of the window that holds them. A control is declared as a member of its container and lives
// exactly as long as that member; its window goes with it.
#pragma once
#include "services/accessible.h"
#include "services/color.h"
#include "services/font.h"
#include "services/handles.h"
#include "services/picture.h"

#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Control;

// What a control needs of the window that holds it (a form, or a user control). The container's window also
// stands in for its windowless children (labels, images): it paints them in its own paint, finds them
// under the mouse and hands them its mouse messages. Its window procedure calls PaintWindowless and
// RouteWindowlessMouse for that; a placed ActiveX control's window is not ours and shows none.
class Container {
public:
    virtual HWND ContainerWindow() const = 0;
    // The window if it exists now; a container that makes its window late says so.
    virtual HWND ExistingWindow() const { return ContainerWindow(); }
    virtual Microsoft::WRL::ComPtr<IFont> DefaultFont() const = 0; // children start with it
    // Key preview: a key message (WM_KEYDOWN/WM_KEYUP/WM_SYSKEYDOWN/WM_SYSKEYUP/WM_CHAR) on its way to one of
    // the children, before the child sees it; true swallows it.
    virtual bool PreviewKey(Control& child, UINT message, WPARAM wParam, LPARAM lParam) {
        (void)child, (void)message, (void)wParam, (void)lParam;
        return false;
    }
    // The focus moved onto (gained) or away from (lost) one of the children.
    virtual void ChildFocus(Control& child, bool gained) { (void)child, (void)gained; }

    // The windowless children, front first (the first declared is in front, as windows are).
    const std::vector<Control*>& WindowlessChildren() const { return windowless_; }
    // The visible, enabled windowless child in front at a point of the container's client area.
    Control* WindowlessAt(POINT client) const;

protected:
    Container() = default;
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    ~Container() = default;

    // Draws the windowless children, back first, over what the window drew into dc (client coordinates).
    void PaintWindowless(HDC dc) const;
    // A mouse message or WM_SETCURSOR of the container's window that belongs to a windowless child (the one
    // under the pointer, or the one holding the mouse): true when the child took it.
    bool RouteWindowlessMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The container's window was made after its windowless children (their tool tips join it), or goes
    // before them (their tool tips, which it owns, go with it).
    void WindowMade();
    void WindowGoing();

private:
    friend class Control;
    std::vector<Control*> windowless_;
    Control* mouseOwner_ = nullptr; // holds the container's mouse capture
};

// Paints what child's parent shows under child (its background, then its own drawing) into dc, which draws
// in child's client coordinates. False when child has no parent to show through (a top-level window).
bool PaintParentBackground(HWND child, HDC dc);

// A windowed control answers screen readers for its window itself (the system's proxies read nothing across
// processes); a windowless one is read through its container.
class Control : public AccessibleSource {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    // The control behind one of our windows; null for any other window, so foreign children are left alone.
    static Control* FromHandle(HWND hwnd);
    // A container hands its children's WM_COMMAND and WM_CTLCOLOR* here; false: not one of ours.
    static bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND hWnd() const { return hwnd_.get(); } // null for a windowless control
    bool Windowless() const { return windowless_; }
    int id() const { return windowless_ ? id_ : GetDlgCtrlID(hwnd_.get()); }
    Container& container() const { return container_; }
    // Pixels in the container's client area.
    RECT Bounds() const { return PlacedRect(); }
    // The access key ("&N" in a label's caption), lower case, that moves the focus to the control after
    // this one; 0 for none.
    virtual wchar_t AccessKey() const { return 0; }
    // Made after other (declaration order, which is the tab order until something is moved in it).
    bool DeclaredAfter(const Control& other) const { return serial_ > other.serial_; }

    // Twips in the container's client area (for a floating picture box, on the screen). A negative size
    // fails with CTL_E_INVALIDPROPERTYVALUE and moves nothing.
    HRESULT Move(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    HRESULT SetLeft(int left) { return Move(left, Top(), Width(), Height()); }
    HRESULT SetTop(int top) { return Move(Left(), top, Width(), Height()); }
    HRESULT SetWidth(int width) { return Move(Left(), Top(), width, Height()); }
    HRESULT SetHeight(int height) { return Move(Left(), Top(), Width(), height); }

    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);
    // The font object itself: a change made through it later shows on the control.
    Microsoft::WRL::ComPtr<IFont> Font() const { return font_.object(); }
    HRESULT SetFont(Microsoft::WRL::ComPtr<IFont> font); // null: E_POINTER
    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color);
    OleColor ForeColor() const { return foreColor_; }
    void SetForeColor(OleColor color);
    // Fails with CTL_E_ILLEGALFUNCTIONCALL when the control is hidden or disabled (or its container is), or
    // windowless.
    HRESULT SetFocus();
    std::wstring ToolTipText() const { return toolTipText_; }
    void SetToolTipText(std::wstring_view text);
    // 0 the window's own, 1 to 15 the standard pointers, 99 the mouse icon; others fail.
    short MousePointer() const { return mousePointer_; }
    HRESULT SetMousePointer(short pointer);
    HCURSOR MouseIcon() const { return mouseIcon_; }
    void SetMouseIcon(HCURSOR icon) { mouseIcon_ = icon; } // the caller keeps the cursor alive
    // 0 in front of its siblings, 1 behind them.
    void ZOrder(int position = 0);
    bool TabStop() const;
    void SetTabStop(bool tabStop);
    void Refresh();
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;

    // Mouse arguments: button 1 left, 2 right, 4 middle (a move gives the buttons held); shift 1 Shift,
    // 2 Ctrl, 4 Alt; x, y in the control's scale (twips) from its client area's top left.
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(short button, short shift, float x, float y)> MouseDown;
    std::function<void(short button, short shift, float x, float y)> MouseMove;
    std::function<void(short button, short shift, float x, float y)> MouseUp;
    // A handler may change the key or set it to 0; the window then sees the changed key or none.
    std::function<void(short& keyCode, short shift)> KeyDown;
    std::function<void(short& keyCode, short shift)> KeyUp;
    std::function<void(short& keyAscii)> KeyPress;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;

    // Set: what a screen reader reads of the window, which the owner describes (it outlives the setting).
    AccessibleSource* Accessibility = nullptr;
    // The control as a screen reader reads it: its role, caption, value, states and place on the screen.
    AccessibleElement Describe(long child = CHILDID_SELF) const override;
    HRESULT DoDefaultAction(long child = CHILDID_SELF) override;

protected:
    struct Look {
        OleColor backColor;
        OleColor foreColor;
        UINT classStyle; // our own window class (painted by us, implicit mouse capture); 0: a system class
        bool clickOnRelease; // Click from a left press and release inside the window
        bool raisesDblClick; // else a double click counts as a press
    };
    Control(Container& container, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle, Look look);
    // A windowless control: its container draws it (Paint) and gives it the mouse.
    Control(Container& container, int id, Look look);

    // Every message of the window; the default raises the common events and calls the original procedure.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallBase(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnCommand(WORD notification) { (void)notification; }
    virtual HBRUSH OnControlColor(HDC dc);
    virtual void OnFontChanged();
    virtual void OnCaptionChanged() {}
    virtual long AccessibleRole() const { return ROLE_SYSTEM_CLIENT; }
    virtual std::wstring AccessibleName() const;
    virtual std::wstring AccessibleValue() const { return {}; }
    virtual long AccessibleState() const { return 0; } // beyond invisible, unavailable and focused
    // What a click does, said ("Press") and done; none by default.
    virtual const wchar_t* DefaultAction() const { return nullptr; }
    virtual void PerformDefaultAction() {}
    // A windowless control draws itself into dc, whose origin is its top left and whose clip its rectangle,
    // over what lies beneath it.
    virtual void Paint(HDC dc) { (void)dc; }
    // Mouse positions from client pixels to the control's scale.
    virtual float ScaleX(int pixels) const;
    virtual float ScaleY(int pixels) const;
    HFONT FontHandle() const { return font_.handle(); }
    // Border style 1 (fixed single) as the system's sunken client edge, 0 none.
    short EdgeStyle() const;
    HRESULT SetEdgeStyle(short borderStyle);
    void Invalidate();
    // The size in pixels, the top left staying where it is.
    void SetPixelSize(int width, int height);
    // Whether input reaches the control: it and every container up to the top-level window are enabled.
    bool ReceivesInput() const;
    // The window (or the windowless control's place in its container) goes now, before members it draws
    // with; no event is raised on the way.
    void Destroy();
    // A system window that reads some styles only when it is made: a new one with these styles takes the
    // old one's place, text, font, tab position, tool tip and focus. The caller carries over the rest.
    HRESULT Recreate(DWORD style, DWORD exStyle);
    // Calls an event handler; an exception stops there and never reaches the system.
    template <class Handler, class... Args>
    static void Raise(const Handler& handler, Args&&... args) noexcept {
        if (!handler) return;
        try {
            handler(std::forward<Args>(args)...);
        } catch (...) {
        }
    }

private:
    friend class Container;
    // Window properties that find the control, and the procedure it replaced, from its window.
    static const wchar_t* ControlProperty();
    static const wchar_t* BaseProperty();
    static LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    void Subclass(HWND hwnd);
    void Detach();
    RECT PlacedRect() const;
    void InvalidateArea(const RECT& area) const; // windowless: a part of the container's client area
    void SetBounds(const RECT& bounds); // windowless
    // The window the control shows on: its own, or for a windowless one its container's (if made yet).
    HWND ShownOn() const;
    void TakeContainerFont();
    void TakeMouse(bool implicit);
    HCURSOR Pointer() const; // the MousePointer's cursor; null: the window's own
    void PlaceToolTip();

    Container& container_;
    Look look_;
    const bool windowless_ = false;
    const unsigned long long serial_;
    UniqueHwnd hwnd_;
    WNDPROC baseProc_ = DefWindowProcW;
    FontBinding font_;
    OleColor backColor_;
    OleColor foreColor_;
    UniqueHwnd toolTip_;
    std::wstring toolTipText_;
    short mousePointer_ = 0;
    HCURSOR mouseIcon_ = nullptr;
    bool implicitCapture_ = false;
    bool leftPressed_ = false;
    // What the window keeps for a windowed control.
    int id_ = 0;
    RECT bounds_{};
    bool visible_ = true;
    bool enabled_ = true;
    bool edge_ = false;
    std::wstring caption_;
    // The twips last given to Move, kept while the window still has the pixels they produced.
    struct Placement {
        int left, top, width, height;
        RECT pixels;
    } placed_{};
    bool placedValid_ = false;
};

class Label : public Control {
public:
    explicit Label(Container& container, int id = 0);

    short Alignment() const { return alignment_; } // 0 left, 1 right, 2 centre
    HRESULT SetAlignment(short alignment);
    short BackStyle() const { return backStyle_; } // 0 transparent, 1 opaque
    HRESULT SetBackStyle(short backStyle);
    short BorderStyle() const { return borderStyle_; } // 0 none, 1 fixed single
    HRESULT SetBorderStyle(short borderStyle);
    // Text wraps at word breaks inside the label's width; WordWrap decides how AutoSize grows the label:
    // downwards at its width, or (off) to the width of the longest line.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool UseMnemonic() const { return useMnemonic_; }
    void SetUseMnemonic(bool useMnemonic);

    wchar_t AccessKey() const override;

protected:
    void OnFontChanged() override;
    void OnCaptionChanged() override;
    void Paint(HDC dc) override;
    long AccessibleRole() const override { return ROLE_SYSTEM_STATICTEXT; }

private:
    UINT TextFormat() const;
    void FitToText();

    short alignment_ = 0;
    short backStyle_ = 1;
    short borderStyle_ = 0;
    bool wordWrap_ = false;
    bool autoSize_ = false;
    bool useMnemonic_ = true;
};

class TextBox : public Control {
public:
    explicit TextBox(Container& container, int id = 0);

    std::wstring Text() const { return Caption(); }
    void SetText(std::wstring_view text) { SetCaption(text); }
    // Character positions; negative values fail with CTL_E_INVALIDPROPERTYVALUE, large ones stop at the end.
    long SelStart() const;
    HRESULT SetSelStart(long start);
    long SelLength() const;
    HRESULT SetSelLength(long length);
    std::wstring SelText() const;
    void SetSelText(std::wstring_view text); // replaces the selection
    bool Locked() const;
    void SetLocked(bool locked);
    long MaxLength() const { return maxLength_; } // 0: no limit; limits typing, not code
    HRESULT SetMaxLength(long length);
    short Alignment() const { return alignment_; } // 0 left, 1 right, 2 centre
    HRESULT SetAlignment(short alignment);
    short BorderStyle() const; // 0 none, 1 fixed single
    HRESULT SetBorderStyle(short borderStyle);

    // Every change of the text: typing, pasting, and code.
    std::function<void()> Change;

protected:
    void OnCommand(WORD notification) override;
    long AccessibleRole() const override { return ROLE_SYSTEM_TEXT; }
    std::wstring AccessibleName() const override { return {}; } // its caption is its text: the value
    std::wstring AccessibleValue() const override { return Text(); }

private:
    long maxLength_ = 0;
    short alignment_ = 0;
};

class CommandButton : public Control {
public:
    explicit CommandButton(Container& container, int id = 0);
    ~CommandButton() override;

    // An icon or bitmap shown on the button instead of the caption; null: the caption again.
    Microsoft::WRL::ComPtr<IPicture> Picture() const { return picture_; }
    void SetPicture(Microsoft::WRL::ComPtr<IPicture> picture);
    // Enter anywhere on the form presses the default button, Escape the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel);
    // What Enter or Escape do to the button: Click, when it is visible and enabled.
    bool Press();

protected:
    void OnCommand(WORD notification) override;
    long AccessibleRole() const override { return ROLE_SYSTEM_PUSHBUTTON; }
    const wchar_t* DefaultAction() const override { return L"Press"; }
    void PerformDefaultAction() override { Press(); }

private:
    Microsoft::WRL::ComPtr<IPicture> picture_;
    bool default_ = false;
    bool cancel_ = false;
};

// Option buttons declared one after another form one group; none is selected until the user picks one.
class OptionButton : public Control {
public:
    explicit OptionButton(Container& container, int id = 0);
    bool Value() const;
    // True selects this one, clears the others of its group and raises Click.
    void SetValue(bool value);

protected:
    void OnCommand(WORD notification) override;
    long AccessibleRole() const override { return ROLE_SYSTEM_RADIOBUTTON; }
    long AccessibleState() const override { return Value() ? STATE_SYSTEM_CHECKED : 0; }
    const wchar_t* DefaultAction() const override { return L"Check"; }
    void PerformDefaultAction() override { SetValue(true); }
};

// A surface that its owner draws in its Paint handler, optionally floating above everything else as an
// owned top-level tool window (a drop-down).
class PictureBox : public Control {
public:
    explicit PictureBox(Container& container, int id = 0);
    ~PictureBox() override;

    std::function<void()> Paint;
    std::function<void()> Resize;

    // The box's drawing surface, valid during Paint and between events.
    HDC hDC() const;
    short BorderStyle() const; // 0 none, 1 fixed single
    HRESULT SetBorderStyle(short borderStyle);
    // 1 twips, 3 pixels: the unit of the drawing methods, of ScaleWidth/ScaleHeight and of mouse positions.
    short ScaleMode() const { return scaleMode_; }
    HRESULT SetScaleMode(short scaleMode);
    float ScaleWidth() const;
    float ScaleHeight() const;
    Microsoft::WRL::ComPtr<IPicture> Picture() const { return picture_; }
    void SetPicture(Microsoft::WRL::ComPtr<IPicture> picture); // shown at the top left, under the drawing

    // Drawing in the box's scale; corners and end points are included.
    void Cls();
    void Line(float x1, float y1, float x2, float y2, OleColor color);
    void Box(float x1, float y1, float x2, float y2, OleColor color);
    void FillRect(float x1, float y1, float x2, float y2, OleColor color);
    void PrintText(float x, float y, std::wstring_view text); // top left at x, y in the font and ForeColor
    float TextWidth(std::wstring_view text) const;
    float TextHeight(std::wstring_view text) const;

    // Turns the box into a top-level tool window over all others, owned by the container's window, never
    // activated and out of the tab order; it keeps its events and painting.
    void Float();
    bool Floating() const; // also when made top-level by other means

    void MoveScreen(int x, int y, int width, int height); // screen pixels

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    float ScaleX(int pixels) const override;
    float ScaleY(int pixels) const override;

private:
    int ToPixelsX(float x) const;
    int ToPixelsY(float y) const;
    void PaintBackground(HDC dc);

    Microsoft::WRL::ComPtr<IPicture> picture_;
    short scaleMode_ = 1;
    HDC paintDc_ = nullptr; // while Paint runs
};

// A picture at its own size; what the picture does not cover shows the container.
class Image : public Control {
public:
    explicit Image(Container& container, int id = 0);
    ~Image() override;

    void SetPicture(int bitmapResource); // a bitmap of the module's resources
    void SetPicture(Microsoft::WRL::ComPtr<IPicture> picture);
    Microsoft::WRL::ComPtr<IPicture> Picture() const { return picture_; }
    short BorderStyle() const; // 0 none, 1 fixed single
    HRESULT SetBorderStyle(short borderStyle);

protected:
    void Paint(HDC dc) override;
    long AccessibleRole() const override { return ROLE_SYSTEM_GRAPHIC; }

private:
    Microsoft::WRL::ComPtr<IPicture> picture_;
};
