#include "services/accessible.h"

#include "com/com.h"
#include "com/module.h"

#include <climits>
#include <map>
#include <new>
#include <utility>

namespace {

// oleacc.dll, loaded on the first request and kept: the objects handed out need it as long as the process
// may hold them.
struct Oleacc {
    decltype(&LresultFromObject) lresultFromObject = nullptr;
    decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
};

template <class F> void Find(HMODULE module, const char* name, F& function) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Oleacc* Library() {
    static const Oleacc library = [] {
        Oleacc found;
        if (HMODULE module = LoadLibraryW(L"oleacc.dll")) {
            Find(module, "LresultFromObject", found.lresultFromObject);
            Find(module, "CreateStdAccessibleObject", found.createStdAccessibleObject);
            Find(module, "AccessibleObjectFromWindow", found.accessibleObjectFromWindow);
        }
        return found;
    }();
    return library.lresultFromObject && library.createStdAccessibleObject &&
                   library.accessibleObjectFromWindow
               ? &library
               : nullptr;
}

HRESULT WindowObject(HWND hwnd, IAccessible** object) {
    *object = nullptr;
    const Oleacc* library = Library();
    if (!library || !hwnd) return E_FAIL;
    return library->accessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               reinterpret_cast<void**>(object));
}

HRESULT ChildId(const VARIANT& child, long& id) {
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&child), 0, VT_I4))) return E_INVALIDARG;
    id = number.lVal;
    return S_OK;
}

VARIANT I4(long value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (text.empty()) return S_FALSE; // no such text: the caller's null stays
    return CopyText(text, out);
}

bool Inside(const RECT& r, POINT p) {
    return PtInRect(&r, p) != FALSE;
}

} // namespace

// ---------------------------------------------------------------- the object

class AccessibleObject final : public IAccessible {
public:
    explicit AccessibleObject(AccessibleSource& source) : source_(&source) { Module::Lock(); }
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    void Disconnect() { source_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(IAccessible)) return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // Clients read through IAccessible; late binding is not offered.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        return Call([&]() -> HRESULT {
            return Library()->createStdAccessibleObject(source_->AccessibleWindow(), OBJID_WINDOW,
                                                        IID_IDispatch, reinterpret_cast<void**>(parent));
        });
    }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return Call([&] {
            *count = source_->ChildCount();
            return S_OK;
        });
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(ChildId(child, id));
            if (id < 1 || id > source_->ChildCount()) return E_INVALIDARG;
            HWND window = source_->ChildWindow(id);
            if (!window) return S_FALSE; // a simple element: the client asks this object about it
            ComPtr<IAccessible> object;
            RETURN_IF_FAILED(WindowObject(window, &object));
            return object.CopyTo(out);
        });
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* out) override {
        return Read(child, out, &AccessibleElement::name, &IAccessible::get_accName);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* out) override {
        return Read(child, out, &AccessibleElement::value, &IAccessible::get_accValue);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Read(child, out, &AccessibleElement::defaultAction, &IAccessible::get_accDefaultAction);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return Nothing(child, out); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (topic) *topic = 0;
        return Nothing(child, file);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* out) override {
        return Number(child, out, &AccessibleElement::role, &IAccessible::get_accRole);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* out) override {
        return Number(child, out, &AccessibleElement::state, &IAccessible::get_accState);
    }

    STDMETHODIMP get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Call([&] { return Element(source_->FocusedChild(), out); });
    }
    // The one selected child, or none.
    STDMETHODIMP get_accSelection(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Call([&] {
            for (long i = 1, n = source_->ChildCount(); i <= n; ++i)
                if (!source_->ChildWindow(i) && (source_->Describe(i).state & STATE_SYSTEM_SELECTED))
                    return Element(i, out);
            return S_FALSE;
        });
    }
    STDMETHODIMP accSelect(long, VARIANT) override {
        return Call([] { return DISP_E_MEMBERNOTFOUND; });
    }

    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(Valid(child, id));
            const RECT r = Place(id);
            *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
            return S_OK;
        });
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Call([&] { return Element(source_->HitTest(POINT{x, y}), out); });
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Call([&]() -> HRESULT {
            long from;
            RETURN_IF_FAILED(Valid(start, from));
            const long n = source_->ChildCount();
            long to = AccessibleSource::kNone;
            switch (direction) {
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD:
                if (from == CHILDID_SELF && n > 0) to = direction == NAVDIR_FIRSTCHILD ? 1 : n;
                break;
            case NAVDIR_NEXT:
            case NAVDIR_PREVIOUS:
                if (from == CHILDID_SELF) return Sibling(direction, out);
                to = from + (direction == NAVDIR_NEXT ? 1 : -1);
                if (to < 1 || to > n) to = AccessibleSource::kNone;
                break;
            case NAVDIR_UP:
            case NAVDIR_DOWN:
            case NAVDIR_LEFT:
            case NAVDIR_RIGHT:
                if (from == CHILDID_SELF) return Sibling(direction, out);
                to = Nearest(from, direction);
                break;
            default:
                return E_INVALIDARG;
            }
            return Element(to, out);
        });
    }

    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(Valid(child, id));
            if (HWND window = ChildWindowOf(id)) {
                ComPtr<IAccessible> object;
                RETURN_IF_FAILED(WindowObject(window, &object));
                return object->accDoDefaultAction(I4(CHILDID_SELF));
            }
            if (!CanAct(id)) return DISP_E_MEMBERNOTFOUND;
            return Defer(id);
        });
    }

    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // Called from the message loop: the owner may have gone, or the element changed, since the request.
    void RunDefaultAction(long child) noexcept {
        (void)NoThrow([&] { return source_ && CanAct(child) ? source_->DoDefaultAction(child) : S_OK; });
    }

private:
    ~AccessibleObject() { Module::Unlock(); }

    // Every member runs through here: nothing throws past it, and a disconnected object only fails.
    template <class F> HRESULT Call(F&& f) noexcept {
        if (!source_) return RPC_E_DISCONNECTED;
        if (!Library()) return E_UNEXPECTED;
        return NoThrow(std::forward<F>(f));
    }

    HRESULT Valid(const VARIANT& child, long& id) const {
        RETURN_IF_FAILED(ChildId(child, id));
        return id >= 0 && id <= source_->ChildCount() ? S_OK : E_INVALIDARG;
    }
    HWND ChildWindowOf(long id) const { return id == CHILDID_SELF ? nullptr : source_->ChildWindow(id); }
    RECT Place(long id) const {
        HWND window = ChildWindowOf(id);
        return window ? WindowScreenRect(window) : source_->Describe(id).screen;
    }

    bool CanAct(long id) const {
        const AccessibleElement e = source_->Describe(id);
        return !e.defaultAction.empty() && !(e.state & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE));
    }

    // A child as a client expects it: none (S_FALSE), an id, or the object of a child window.
    HRESULT Element(long id, VARIANT* out) const {
        if (id == AccessibleSource::kNone) return S_FALSE;
        if (HWND window = ChildWindowOf(id)) {
            ComPtr<IAccessible> object;
            RETURN_IF_FAILED(WindowObject(window, &object));
            out->vt = VT_DISPATCH;
            out->pdispVal = object.Detach();
            return S_OK;
        }
        *out = I4(id);
        return S_OK;
    }

    // A window's neighbours are its parent's to know: the system's object of the window answers.
    HRESULT Sibling(long direction, VARIANT* out) const {
        ComPtr<IAccessible> window;
        RETURN_IF_FAILED(Library()->createStdAccessibleObject(
            source_->AccessibleWindow(), OBJID_WINDOW, __uuidof(IAccessible),
            reinterpret_cast<void**>(window.GetAddressOf())));
        return window->accNavigate(direction, I4(CHILDID_SELF), out);
    }

    // The closest child wholly on that side of child `from` and overlapping it across the way.
    long Nearest(long from, long direction) const {
        const RECT a = Place(from);
        long best = AccessibleSource::kNone, bestDistance = LONG_MAX;
        for (long i = 1, n = source_->ChildCount(); i <= n; ++i) {
            if (i == from) continue;
            const RECT b = Place(i);
            long distance;
            bool across;
            switch (direction) {
            case NAVDIR_UP:
                distance = a.top - b.bottom, across = b.left < a.right && a.left < b.right;
                break;
            case NAVDIR_DOWN:
                distance = b.top - a.bottom, across = b.left < a.right && a.left < b.right;
                break;
            case NAVDIR_LEFT:
                distance = a.left - b.right, across = b.top < a.bottom && a.top < b.bottom;
                break;
            default:
                distance = b.left - a.right, across = b.top < a.bottom && a.top < b.bottom;
                break;
            }
            if (across && distance >= 0 && distance < bestDistance) best = i, bestDistance = distance;
        }
        return best;
    }

    // A property of a child window, read from the window's own object.
    template <class Out>
    static HRESULT Forward(HWND window, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, Out*),
                           Out* out) {
        ComPtr<IAccessible> object;
        RETURN_IF_FAILED(WindowObject(window, &object));
        return (object.Get()->*get)(I4(CHILDID_SELF), out);
    }

    HRESULT Read(const VARIANT& child, BSTR* out, std::wstring AccessibleElement::*field,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(Valid(child, id));
            if (HWND window = ChildWindowOf(id)) return Forward(window, get, out);
            return Text(source_->Describe(id).*field, out);
        });
    }
    HRESULT Number(const VARIANT& child, VARIANT* out, long AccessibleElement::*field,
                   HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) noexcept {
        if (!out) return E_POINTER;
        VariantInit(out);
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(Valid(child, id));
            if (HWND window = ChildWindowOf(id)) return Forward(window, get, out);
            *out = I4(source_->Describe(id).*field);
            return S_OK;
        });
    }
    HRESULT Nothing(const VARIANT& child, BSTR* out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&]() -> HRESULT {
            long id;
            RETURN_IF_FAILED(Valid(child, id));
            return S_FALSE;
        });
    }

    HRESULT Defer(long child);

    LONG refs_ = 1;
    AccessibleSource* source_;
};

namespace {
// Default actions waiting for their thread's message loop, by thread and timer; each holds its object. A
// plain shared table: a thread's own table would need a destructor that outlives an unloaded library.
struct Pending {
    ComPtr<AccessibleObject> object;
    long child = 0;
};
std::map<std::pair<DWORD, UINT_PTR>, Pending> pending;
SRWLOCK pendingLock = SRWLOCK_INIT;

void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
    KillTimer(nullptr, timer);
    Pending action;
    AcquireSRWLockExclusive(&pendingLock);
    auto found = pending.find({GetCurrentThreadId(), timer});
    if (found != pending.end()) {
        action = std::move(found->second);
        pending.erase(found);
    }
    ReleaseSRWLockExclusive(&pendingLock);
    if (action.object) action.object->RunDefaultAction(action.child);
}
} // namespace

HRESULT AccessibleObject::Defer(long child) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, RunPending);
    if (!timer) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = S_OK;
    AcquireSRWLockExclusive(&pendingLock);
    try {
        pending[{GetCurrentThreadId(), timer}] = Pending{this, child};
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    ReleaseSRWLockExclusive(&pendingLock);
    if (FAILED(hr)) KillTimer(nullptr, timer);
    return hr;
}

// ---------------------------------------------------------------- the source

long AccessibleSource::HitTest(POINT screen) const {
    for (long i = 1, n = ChildCount(); i <= n; ++i) {
        HWND window = ChildWindow(i);
        if (window ? IsWindowVisible(window) && Inside(WindowScreenRect(window), screen)
                   : Inside(Describe(i).screen, screen))
            return i;
    }
    return Inside(Describe(CHILDID_SELF).screen, screen) ? CHILDID_SELF : kNone;
}

long AccessibleSource::FocusedChild() const {
    HWND focus = GetFocus();
    if (!focus || !window_) return kNone;
    for (long i = 1, n = ChildCount(); i <= n; ++i)
        if (HWND window = ChildWindow(i); window && (focus == window || IsChild(window, focus))) return i;
    return focus == window_ || IsChild(window_, focus) ? CHILDID_SELF : kNone;
}

void AccessibleSource::DisconnectAccessible() {
    AccessibleObject* object = std::exchange(object_, nullptr);
    if (!object) return;
    object->Disconnect();
    // Clients in other processes hold it through COM's stubs: they are let go now.
    (void)CoDisconnectObject(object, 0);
    object->Release();
}

AccessibleSource::~AccessibleSource() {
    DisconnectAccessible();
}

bool AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, AccessibleSource& source, LRESULT& result) {
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return false;
    const Oleacc* library = Library();
    if (!library) return false;
    if (!source.window_) source.window_ = hwnd;
    if (!source.object_) {
        source.object_ = new (std::nothrow) AccessibleObject(source);
        if (!source.object_) return false;
    }
    const LRESULT answer = library->lresultFromObject(__uuidof(IAccessible), wParam, source.object_);
    if (answer < 0) return false; // the system's own object answers instead
    result = answer;
    return true;
}

// ---------------------------------------------------------------- window helpers

namespace {
BOOL CALLBACK FindTabStop(HWND child, LPARAM found) {
    if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(child)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}
} // namespace

long WindowState(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;
    long state = 0;
    if (!IsWindowVisible(hwnd)) state |= STATE_SYSTEM_INVISIBLE;
    for (HWND w = hwnd; w; w = (GetWindowLongW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
        if (!IsWindowEnabled(w)) {
            state |= STATE_SYSTEM_UNAVAILABLE;
            break;
        }
    bool tabStop = (GetWindowLongW(hwnd, GWL_STYLE) & WS_TABSTOP) != 0;
    if (!tabStop) EnumChildWindows(hwnd, FindTabStop, reinterpret_cast<LPARAM>(&tabStop));
    if (tabStop) state |= STATE_SYSTEM_FOCUSABLE;
    HWND focus = GetFocus();
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) state |= STATE_SYSTEM_FOCUSED;
    return state;
}

RECT WindowScreenRect(HWND hwnd) {
    RECT r{};
    if (hwnd) GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientToScreenRect(HWND hwnd, RECT client) {
    MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

std::wstring WithoutAccessKeys(std::wstring_view caption) {
    std::wstring text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && ++i == caption.size()) break;
        text += caption[i];
    }
    return text;
}

AccessibleElement PushButtonElement(HWND button, std::wstring name) {
    AccessibleElement element;
    element.role = ROLE_SYSTEM_PUSHBUTTON;
    element.name = std::move(name);
    element.defaultAction = L"Press";
    element.state = WindowState(button);
    // A system button says so itself; ours hold the mouse while pressed.
    if (button && ((SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) || GetCapture() == button))
        element.state |= STATE_SYSTEM_PRESSED;
    element.screen = WindowScreenRect(button);
    return element;
}
