#include "com/module.h"

#include "com/com.h"

namespace Module {

namespace {
HINSTANCE instance_ = nullptr;
LONG locks_ = 0;
SRWLOCK cacheLock_ = SRWLOCK_INIT;
ITypeLib* typeLib_ = nullptr;
void (*caches_[4])() = {};

void ReleaseCachedTypeLib() {
    ITypeLib* released = nullptr;
    AcquireSRWLockExclusive(&cacheLock_);
    std::swap(released, typeLib_);
    ReleaseSRWLockExclusive(&cacheLock_);
    if (released) released->Release();
}
} // namespace

void AddCache(void (*release)()) {
    AcquireSRWLockExclusive(&cacheLock_);
    for (auto& slot : caches_)
        if (slot == release || !slot) {
            slot = release;
            break;
        }
    ReleaseSRWLockExclusive(&cacheLock_);
}

void ReleaseCaches() {
    if (LockCount() != 0) return;
    ReleaseCachedTypeLib();
    for (auto release : caches_)
        if (release) release();
}

void SetInstance(HINSTANCE instance) {
    instance_ = instance;
}

HINSTANCE Instance() {
    return instance_ ? instance_ : GetModuleHandleW(nullptr);
}

void Lock() {
    InterlockedIncrement(&locks_);
}

void Unlock() {
    InterlockedDecrement(&locks_);
}

LONG LockCount() {
    return InterlockedCompareExchange(&locks_, 0, 0);
}

std::wstring Path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(Instance(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2); // truncated: a long path
    }
}

HRESULT TypeLib(ITypeLib** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    AcquireSRWLockExclusive(&cacheLock_);
    if (typeLib_) {
        *out = typeLib_;
        typeLib_->AddRef();
    }
    ReleaseSRWLockExclusive(&cacheLock_);
    if (*out) return S_OK;

    std::wstring path = Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    ComPtr<ITypeLib> loaded;
    RETURN_IF_FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded));

    AcquireSRWLockExclusive(&cacheLock_);
    if (typeLib_) {
        loaded = typeLib_; // another thread was first; hand out the one everybody shares
    } else {
        typeLib_ = loaded.Get();
        typeLib_->AddRef();
    }
    ReleaseSRWLockExclusive(&cacheLock_);
    *out = loaded.Detach();
    return S_OK;
}

HRESULT TypeInfo(REFGUID guid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ComPtr<ITypeLib> typeLib;
    RETURN_IF_FAILED(TypeLib(&typeLib));
    return typeLib->GetTypeInfoOfGuid(guid, out);
}

} // namespace Module
