// What a screen reader reads of our windows, from any process: one IAccessible object per window that
// wants to be read, built over a small description its owner gives. oleacc.dll is loaded on the first
// request only, so a program that never meets a screen reader does not load it.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <string_view>

struct AccessibleElement { // what a screen reader reads of one element
    long role = ROLE_SYSTEM_CLIENT;
    std::wstring name, value, defaultAction;
    long state = 0; // STATE_SYSTEM_* bits
    RECT screen{};  // location in screen pixels
};

class AccessibleObject;

class AccessibleSource {
public:
    // HitTest and FocusedChild: none of the source's elements.
    static constexpr long kNone = -1;

    AccessibleSource(const AccessibleSource&) = delete;
    AccessibleSource& operator=(const AccessibleSource&) = delete;

    // Child 0 (CHILDID_SELF) is the window itself, 1..ChildCount() its simple (windowless) children.
    virtual AccessibleElement Describe(long child) const = 0;
    virtual long ChildCount() const { return 0; }
    // Non-null: child `child` is a window of its own; the object hands out that window's own object.
    virtual HWND ChildWindow(long child) const {
        (void)child;
        return nullptr;
    }
    // Runs from the thread's message loop after the client's call has returned, as a click would, so that
    // whatever the action opens (a dialog) never holds the client. Called only for an element that has a
    // default action and is neither disabled nor hidden.
    virtual HRESULT DoDefaultAction(long child) {
        (void)child;
        return DISP_E_MEMBERNOTFOUND;
    }
    // The child at a screen point, 0 the window itself, kNone outside; by default from the rectangles.
    virtual long HitTest(POINT screen) const;
    // 0 while the focus is in the window or a window inside it; else kNone.
    virtual long FocusedChild() const;

    // The window the source describes: bound by the owner, else by the first request it answered.
    HWND AccessibleWindow() const { return window_; }

protected:
    AccessibleSource() = default;
    // Disconnects the object: a client's later calls fail with RPC_E_DISCONNECTED.
    ~AccessibleSource();
    // An owner whose child windows answer with its object binds it to its own window first.
    void BindAccessibleWindow(HWND window) { window_ = window; }
    // Disconnects early, while the owner is still whole; the destructor does it otherwise.
    void DisconnectAccessible();

private:
    friend bool AnswerGetObject(HWND, WPARAM, LPARAM, AccessibleSource&, LRESULT&);
    HWND window_ = nullptr;
    AccessibleObject* object_ = nullptr; // one reference, made on the first request
};

// Answers WM_GETOBJECT(OBJID_CLIENT) for hwnd with source's object; false: not ours to answer.
bool AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSource& source, LRESULT& result);

// The states every window shows: invisible, unavailable (it or a window holding it is disabled), focused
// (the focus is in it), focusable (it or a child is a tab stop).
long WindowState(HWND hwnd);
// The window's rectangle on the screen; empty for none.
RECT WindowScreenRect(HWND hwnd);
// A rectangle of a window's client pixels on the screen.
RECT ClientToScreenRect(HWND hwnd, RECT client);
// A caption as it shows where '&' marks the access key: "&&" is one '&', a single '&' shows nothing.
std::wstring WithoutAccessKeys(std::wstring_view caption);
// A push button window (or one of ours drawn as one) as an element: pressed while held, "Press" as its
// default action.
AccessibleElement PushButtonElement(HWND button, std::wstring name);
