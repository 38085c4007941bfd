#include "com/class_factory.h"

#include "com/com.h"
#include "com/module.h"

#include <new>

namespace {

// A client's unlock without a lock must not take the count below the objects that are alive.
LONG serverLocks = 0;

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ControlClass& control) : class_(control) { Module::Lock(); }
    ~ClassFactory() { Module::Unlock(); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return class_.create(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&serverLocks);
            Module::Lock();
            return S_OK;
        }
        for (LONG n = serverLocks; n > 0; n = serverLocks)
            if (InterlockedCompareExchange(&serverLocks, n - 1, n) == n) {
                Module::Unlock();
                return S_OK;
            }
        return E_UNEXPECTED;
    }

private:
    LONG refs_ = 1;
    const ControlClass& class_;
};

} // namespace

HRESULT GetClassObject(const ControlClass* classes, size_t count, REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (*classes[i].clsid != clsid) continue;
        auto* factory = new (std::nothrow) ClassFactory(classes[i]);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() {
    if (Module::LockCount() != 0) return S_FALSE;
    Module::ReleaseCaches(); // the module may go now: it holds nothing
    return S_OK;
}
