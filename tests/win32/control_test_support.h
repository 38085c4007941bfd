// What the control tests share: properties by name in tables, property bags, a control's extender,
// settling through the form's loop, and a user who answers a real dialog.
#pragma once
#include "com_test_support.h"
#include "persist/property_bag.h"
#include "test_support.h"

#include <atomic>
#include <thread>

inline bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace test {

inline Variant Dispatch(IDispatch* object) {
    Variant v;
    v.put()->vt = VT_DISPATCH;
    v.get()->pdispVal = object;
    if (object) object->AddRef();
    return v;
}

using Values = std::vector<std::pair<const wchar_t*, Variant>>;

inline bool IsObject(const Variant& value) {
    return value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN;
}

// Each value put by name, an object by reference as a container puts a font.
inline void PutAll(IUnknown* object, const Values& values) {
    for (const auto& [name, value] : values)
        ASSERT_EQ(PutProperty(object, name, value, IsObject(value)), S_OK) << Narrow(name);
}

// Each property reads as the value given (a truth value as a number); objects are the caller's to compare.
inline void ExpectAll(IUnknown* object, const Values& values) {
    for (const auto& [name, value] : values) {
        Variant number;
        if (value.type() == VT_BSTR) {
            EXPECT_EQ(TextProperty(object, name), value.get()->bstrVal) << Narrow(name);
        } else if (!IsObject(value) && SUCCEEDED(value.As(VT_I4, number))) {
            EXPECT_EQ(NumberProperty(object, name), number.get()->lVal) << Narrow(name);
        }
    }
}

inline ComPtr<MemoryPropertyBag> Bag(const Values& values = {}) {
    std::vector<persist::Entry> entries;
    for (const auto& [key, value] : values)
        EXPECT_EQ(EntryFromVariant(key, *value.get(), entries.emplace_back()), S_OK) << Narrow(key);
    ComPtr<MemoryPropertyBag> bag;
    EXPECT_EQ(MemoryPropertyBag::Create(std::move(entries), &bag), S_OK);
    return bag;
}

inline ComPtr<MemoryPropertyBag> Saved(IUnknown* object) {
    ComPtr<IPersistPropertyBag> persist;
    EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    auto bag = Bag();
    EXPECT_EQ(persist->Save(bag.Get(), TRUE, TRUE), S_OK);
    return bag;
}

inline HRESULT Load(IUnknown* object, IPropertyBag* bag) {
    ComPtr<IPersistPropertyBag> persist;
    RETURN_IF_FAILED(object->QueryInterface(IID_PPV_ARGS(&persist)));
    return persist->Load(bag, nullptr);
}

// The control's own object behind its dual interface D.
template <class C, class D> C& Implementation(IUnknown* object) {
    ComPtr<D> dual;
    EXPECT_EQ(object->QueryInterface(IID_PPV_ARGS(&dual)), S_OK);
    return *static_cast<C*>(dual.Get());
}

inline ComPtr<IUnknown> New(HRESULT (*create)(REFIID, void**)) {
    ComPtr<IUnknown> object;
    EXPECT_EQ(create(IID_PPV_ARGS(&object)), S_OK);
    return object;
}

// A new object of the class, loaded from the bag, or set up anew without one.
inline ComPtr<IUnknown> Loaded(HRESULT (*create)(REFIID, void**), MemoryPropertyBag* bag = nullptr) {
    ComPtr<IUnknown> object = New(create);
    ComPtr<IPersistPropertyBag> persist;
    if (object) (void)object.As(&persist);
    EXPECT_EQ(!persist ? E_NOINTERFACE : bag ? persist->Load(bag, nullptr) : persist->InitNew(), S_OK);
    return object;
}

// The keys a save wrote, less the extent the container keeps beside them.
inline std::vector<std::wstring> Keys(MemoryPropertyBag* bag) {
    std::vector<std::wstring> keys;
    for (const auto& e : bag->entries()) {
        std::wstring key(e.key.begin(), e.key.end());
        if (key != L"_ExtentX" && key != L"_ExtentY") keys.push_back(key);
    }
    return keys;
}

// A stored value as the bag gives it back.
inline Variant Stored(MemoryPropertyBag* bag, const wchar_t* key) {
    Variant v;
    EXPECT_EQ(bag->Read(key, v.put(), nullptr), S_OK) << Narrow(key);
    return v;
}

inline ComPtr<IFont> FontOf(IUnknown* object) {
    Variant v;
    EXPECT_EQ(GetProperty(object, L"Font", v), S_OK);
    ComPtr<IFont> font;
    if (v.type() == VT_DISPATCH && v.get()->pdispVal) v.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&font));
    return font;
}

inline std::wstring NameOf(IFont* font) {
    Bstr name;
    if (font) font->get_Name(name.put());
    return name.str();
}

// What the container offers the control as its extender (Move, Refresh, Left, Width...).
inline ComPtr<IDispatch> ExtenderOf(IUnknown* control) {
    ComPtr<IOleObject> ole;
    ComPtr<IOleClientSite> site;
    ComPtr<IOleControlSite> controlSite;
    ComPtr<IDispatch> extender;
    if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&ole))) && SUCCEEDED(ole->GetClientSite(&site)) && site &&
        SUCCEEDED(site.As(&controlSite)))
        controlSite->GetExtendedControl(&extender);
    return extender;
}

// The thread's pending messages, through the form first as the host's loop runs them.
inline void Settle() {
    for (int round = 0; round < 3; ++round, Sleep(1))
        DoEvents();
}

// Waits on another thread for this process's dialog box and does to it what a user would; a dialog
// still open afterwards is cancelled, so that no test hangs in a modal loop.
class DialogUser {
public:
    explicit DialogUser(std::function<void(HWND)> act)
        : thread_([this, act] {
              HWND dialog = nullptr;
              if (!WaitUntil([&] { return (dialog = TopWindowOf(0, L"#32770")) != nullptr; })) return;
              caption = TextOf(dialog);
              act(dialog);
              if (!WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); })) {
                  stuck = true;
                  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
              }
          }) {}
    ~DialogUser() {
        if (thread_.joinable()) thread_.join();
    }
    void Join() { thread_.join(); }
    static void PressOk(HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    std::wstring caption;
    std::atomic<bool> stuck{false};

private:
    std::thread thread_;
};

} // namespace test
