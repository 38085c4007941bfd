// COM helpers for the tests: late-bound calls as a script makes them, an event sink that records, a
// platform that records instead of opening dialogs, message pumping and a window to host controls in.
#pragma once
#include "com/com.h"
#include "host/control_site.h"
#include "host/form.h"
#include "services/platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace test {

void Pump();
// Properties read by name as a script reads them: a number (converted to a 32-bit integer) and a text.
LONG NumberProperty(IUnknown* object, const wchar_t* name);
std::wstring TextProperty(IUnknown* object, const wchar_t* name);
// A child window's place in its parent's client area, in pixels.
RECT PlaceOf(HWND child);
// Where a control shows: its own window, or for a windowless one (label, image) its container's window and
// the control's rectangle in it.
struct Surface {
    HWND window;
    RECT area; // the control's client pixels in window
    LPARAM At(int x, int y) const { return MAKELPARAM(area.left + x, area.top + y); }
    POINT OnScreen(int x, int y) const;
};
Surface SurfaceOf(const Control& control);
// A windowless child of a container (a control's labels, say) by its id; null when there is none.
Control* WindowlessChild(const Container& container, int id);
// A colour as a window surface of this screen stores it.
COLORREF Shown(COLORREF color);

// A window's client area as drawn, read back from its surface; by default after the whole top-level window
// around it was drawn anew.
class Snapshot {
public:
    explicit Snapshot(HWND hwnd, bool redrawAll = true);
    explicit Snapshot(const Control& control, bool redrawAll = true);
    COLORREF At(int x, int y) const { return pixels_.at(size_t(y * width_ + x)); }
    int Count(COLORREF color) const;
    // The leftmost column with a pixel of another colour than ground; -1 for none.
    int LeftmostNot(COLORREF ground) const;

private:
    Snapshot(HWND hwnd, RECT area, bool redrawAll);
    int width_ = 0, height_ = 0;
    std::vector<COLORREF> pixels_;
};
// Late binding by name as a script binds (values by value, no type library on the caller's side).
HRESULT GetProperty(IUnknown* object, const wchar_t* name, Variant& value);
HRESULT PutProperty(IUnknown* object, const wchar_t* name, const Variant& value, bool byRef = false);
HRESULT CallMethod(IUnknown* object, const wchar_t* name);

// Everything in a stream, from its start (leaving it at its end); bytes as hexadecimal text, to pin them.
std::string StreamBytes(IStream* stream);
std::string Hex(const std::string& bytes);

// Records every event with its arguments dereferenced, in declaration order.
class EventSink final : public IDispatch {
public:
    struct Event {
        DISPID id;
        std::vector<Variant> args;
    };
    std::vector<Event> events;

    HRESULT Connect(IUnknown* source, REFIID iid);
    void Disconnect();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; } // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
    ULONG refs() const { return refs_; }

private:
    ULONG refs_ = 0;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

class RecordingPlatform : public Platform {
public:
    struct Shell {
        HWND owner;
        std::wstring operation, file, parameters, directory;
        int show;
    };
    std::vector<Shell> shellCalls;
    std::vector<std::wstring> messages;

    HINSTANCE ShellExecute(HWND owner, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) override;
    int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
};

// A plain form to put controls on.
class HostForm : public Form {
public:
    HostForm() {
        SetCaption(L"Host");
        SetClientSize(6000, 3000);
    }
};

// OLE set up around a test of the library's objects, and nothing of the library left alive after it.
class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override;
};

// One control placed on a shown form of ours and activated, its events recorded. Tearing down checks that
// the sink was let go and that nothing of the library is left alive.
class HostedControl : public ::testing::Test {
protected:
    // platform: what stands in for the system's dialogs and shell while the test runs (nullptr: the real ones).
    void Host(HRESULT (*create)(REFIID, void**), const IID& events, Platform* platform, const wchar_t* name,
              int width, int height, const std::vector<ActiveXControl::StoredProperty>& stored = {});
    void TearDown() override;
    IUnknown* Object() const { return site->Object(); }

    std::unique_ptr<PlatformOverride> useIt;
    std::unique_ptr<HostForm> form;
    std::unique_ptr<ActiveXControl> site;
    EventSink sink;
};

} // namespace test
