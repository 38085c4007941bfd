#include "com/registration.h"

#include "com/com.h"
#include "com/module.h"

#include <string>

namespace {

// The component category every control class belongs to.
const wchar_t kControlCategory[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* put() { return &key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    int n = StringFromGUID2(guid, text, 40);
    return std::wstring(text, n > 0 ? n - 1 : 0);
}

// Registration writes below <root>\Software\Classes, always named from the root itself: HKEY_CLASSES_ROOT
// would send writes to whichever half already holds a key, so a machine registration could land in the
// user's classes and the other way round.
std::wstring ClassesPath(const std::wstring& path) {
    return L"Software\\Classes\\" + path;
}

// Creates <path> (and what lies above it) and sets its value <name> (nullptr: the default value).
HRESULT SetValue(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value,
                 REGSAM view = 0) {
    RegKey key;
    LSTATUS status = RegCreateKeyExW(root, ClassesPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE | view, nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return HRESULT_FROM_WIN32(status);
}

HRESULT CreateKey(HKEY root, const std::wstring& path) {
    RegKey key;
    return HRESULT_FROM_WIN32(RegCreateKeyExW(root, ClassesPath(path).c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, key.put(),
                                              nullptr));
}

HRESULT DeleteTree(HKEY root, const std::wstring& path) {
    LSTATUS status = RegDeleteTreeW(root, ClassesPath(path).c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
    RegKey key;
    return RegOpenKeyExW(root, ClassesPath(path).c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// The registry view of the library built for the other architecture. Class keys are kept per view; ProgIDs
// are shared by both views on some systems and kept per view on others.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

struct TypeLibIdentity {
    GUID libid;
    WORD major, minor;
    LCID lcid;
    SYSKIND syskind;
};

HRESULT LoadOwnTypeLib(const std::wstring& path, ComPtr<ITypeLib>& typeLib, TypeLibIdentity& identity) {
    RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &typeLib));
    TLIBATTR* attributes = nullptr;
    RETURN_IF_FAILED(typeLib->GetLibAttr(&attributes));
    identity = {attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                attributes->syskind};
    typeLib->ReleaseTLibAttr(attributes);
    return S_OK;
}

std::wstring VersionText(const TypeLibIdentity& identity) {
    return DecimalText(identity.major) + L"." + DecimalText(identity.minor);
}

// MinGW's oleauto.h lacks the per-user pair; oleaut32 exports them.
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* typeLib, OLECHAR* fullPath, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

// Some systems' per-user type library calls are the machine-wide ones, which write through
// HKEY_CLASSES_ROOT (Wine's are). While they run, that name stands for the user's classes, so that they do
// not reach the machine's; where they write the user's classes themselves, this changes nothing.
class UserClassesAsRoot {
public:
    UserClassesAsRoot() {
        status_ = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, classes_.put(), nullptr);
        if (status_ == ERROR_SUCCESS) status_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.get());
    }
    UserClassesAsRoot(const UserClassesAsRoot&) = delete;
    UserClassesAsRoot& operator=(const UserClassesAsRoot&) = delete;
    ~UserClassesAsRoot() {
        if (status_ == ERROR_SUCCESS) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    HRESULT Status() const { return HRESULT_FROM_WIN32(status_); }

private:
    RegKey classes_;
    LSTATUS status_;
};

// The path is a copy: the API takes a non-const string.
HRESULT RegisterOwnTypeLib(HKEY root, ITypeLib* typeLib, std::wstring path) {
    if (root != HKEY_CURRENT_USER) return RegisterTypeLib(typeLib, path.data(), nullptr);
    UserClassesAsRoot user;
    RETURN_IF_FAILED(user.Status());
    return RegisterTypeLibForUser(typeLib, path.data(), nullptr);
}

HRESULT UnregisterOwnTypeLib(HKEY root, const TypeLibIdentity& id) {
    if (root != HKEY_CURRENT_USER) return UnRegisterTypeLib(id.libid, id.major, id.minor, id.lcid, id.syskind);
    UserClassesAsRoot user;
    RETURN_IF_FAILED(user.Status());
    return UnRegisterTypeLibForUser(id.libid, id.major, id.minor, id.lcid, id.syskind);
}

HRESULT WriteProgId(HKEY root, const ControlClass& control, const std::wstring& progId, REGSAM view = 0) {
    RETURN_IF_FAILED(SetValue(root, progId, nullptr, control.name, view));
    return SetValue(root, progId + L"\\CLSID", nullptr, GuidText(*control.clsid), view);
}

HRESULT RegisterControl(HKEY root, const ControlClass& control, const std::wstring& server,
                        const std::wstring& library, const TypeLibIdentity& typeLib) {
    const std::wstring key = L"CLSID\\" + GuidText(*control.clsid);
    const std::wstring progId = library + L"." + control.name;
    RETURN_IF_FAILED(SetValue(root, key, nullptr, control.name));
    RETURN_IF_FAILED(SetValue(root, key + L"\\InprocServer32", nullptr, server));
    RETURN_IF_FAILED(SetValue(root, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"));
    RETURN_IF_FAILED(SetValue(root, key + L"\\ProgID", nullptr, progId));
    RETURN_IF_FAILED(SetValue(root, key + L"\\VersionIndependentProgID", nullptr, progId));
    RETURN_IF_FAILED(CreateKey(root, key + L"\\Control"));
    RETURN_IF_FAILED(SetValue(root, key + L"\\ToolboxBitmap32", nullptr,
                              server + L", " + DecimalText(control.toolboxBitmap)));
    RETURN_IF_FAILED(SetValue(root, key + L"\\MiscStatus", nullptr, L"0"));
    RETURN_IF_FAILED(SetValue(root, key + L"\\MiscStatus\\1", nullptr, DecimalText(control.miscStatus)));
    RETURN_IF_FAILED(SetValue(root, key + L"\\TypeLib", nullptr, GuidText(typeLib.libid)));
    RETURN_IF_FAILED(SetValue(root, key + L"\\Version", nullptr, VersionText(typeLib)));
    RETURN_IF_FAILED(CreateKey(root, key + L"\\Implemented Categories\\" + kControlCategory));
    return WriteProgId(root, control, progId);
}

HRESULT Register(HKEY root, const ControlClass* classes, size_t count, const GUID& libid,
                 const wchar_t* library) {
    const std::wstring server = Module::Path();
    if (server.empty()) return HRESULT_FROM_WIN32(GetLastError());
    ComPtr<ITypeLib> typeLib;
    TypeLibIdentity identity{};
    RETURN_IF_FAILED(LoadOwnTypeLib(server, typeLib, identity));
    if (identity.libid != libid) return SELFREG_E_TYPELIB; // the table and the embedded library disagree
    RETURN_IF_FAILED(RegisterOwnTypeLib(root, typeLib.Get(), server));
    for (size_t i = 0; i < count; ++i)
        RETURN_IF_FAILED(RegisterControl(root, classes[i], server, library, identity));
    return S_OK;
}

bool IsClassesRoot(HKEY root) {
    return root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER;
}

} // namespace

HRESULT RegisterServer(HKEY root, const ControlClass* classes, size_t count, const GUID& libid,
                       const wchar_t* library) {
    if (!IsClassesRoot(root)) return E_INVALIDARG;
    HRESULT hr = Register(root, classes, count, libid, library);
    if (FAILED(hr)) (void)UnregisterServer(root, classes, count, libid, library); // the first failure is the news
    return hr;
}

HRESULT UnregisterServer(HKEY root, const ControlClass* classes, size_t count, const GUID& libid,
                         const wchar_t* library) {
    if (!IsClassesRoot(root)) return E_INVALIDARG;
    HRESULT result = S_OK;
    auto keep = [&](HRESULT hr) {
        if (SUCCEEDED(result)) result = hr;
    };
    // Every step runs even after a failure, so that as much as possible is gone.
    for (size_t i = 0; i < count; ++i) {
        const std::wstring classKey = L"CLSID\\" + GuidText(*classes[i].clsid);
        const std::wstring progId = std::wstring(library) + L"." + classes[i].name;
        keep(DeleteTree(root, classKey));
        keep(DeleteTree(root, progId));
        // Where the views share ProgIDs, that took the other edition's too: it gets it back.
        if (KeyExists(root, classKey, kOtherView) && !KeyExists(root, progId, kOtherView))
            keep(WriteProgId(root, classes[i], progId, kOtherView));
    }

    ComPtr<ITypeLib> typeLib;
    TypeLibIdentity identity{};
    const std::wstring server = Module::Path();
    HRESULT hr = LoadOwnTypeLib(server, typeLib, identity);
    if (FAILED(hr)) {
        keep(hr);
        return result;
    }
    if (identity.libid != libid) {
        keep(SELFREG_E_TYPELIB);
        return result;
    }
    if (KeyExists(root, L"TypeLib\\" + GuidText(libid) + L"\\" + VersionText(identity)))
        keep(UnregisterOwnTypeLib(root, identity));
    return result;
}
