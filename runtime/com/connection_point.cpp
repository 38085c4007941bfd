#include "com/connection_point.h"

#include "com/module.h"

#include <new>

namespace {

// A snapshot enumerator over COM pointers; it keeps its owner (and so the items) alive.
template <class Enum, class Item, class Element, const IID& EnumIid> class Enumerator final : public Enum {
public:
    Enumerator(IUnknown* owner, std::vector<Element> items) : owner_(owner), items_(std::move(items)) {
        Module::Lock();
    }
    ~Enumerator() { Module::Unlock(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == EnumIid) {
            *out = static_cast<Enum*>(this);
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
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n, ++next_) Copy(items_[next_], out[n]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        next_ += count;
        if (next_ <= items_.size()) return S_OK;
        next_ = items_.size();
        return S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** out) override {
        if (!out) return E_POINTER;
        auto* copy = new (std::nothrow) Enumerator(owner_.Get(), items_);
        if (!copy) return E_OUTOFMEMORY;
        copy->next_ = next_;
        *out = copy;
        return S_OK;
    }

private:
    static void Copy(IConnectionPoint* from, IConnectionPoint*& to) {
        to = from;
        to->AddRef();
    }
    static void Copy(const std::pair<DWORD, ComPtr<IUnknown>>& from, CONNECTDATA& to) {
        to.dwCookie = from.first;
        to.pUnk = from.second.Get();
        to.pUnk->AddRef();
    }

    LONG refs_ = 1;
    ComPtr<IUnknown> owner_;
    std::vector<Element> items_;
    size_t next_ = 0;
};

using PointEnumerator =
    Enumerator<IEnumConnectionPoints, IConnectionPoint*, IConnectionPoint*, IID_IEnumConnectionPoints>;
using ConnectionEnumerator =
    Enumerator<IEnumConnections, CONNECTDATA, std::pair<DWORD, ComPtr<IUnknown>>, IID_IEnumConnections>;

} // namespace

HRESULT CreateConnectionPointEnumerator(IUnknown* owner, std::vector<IConnectionPoint*> points,
                                        IEnumConnectionPoints** out) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) PointEnumerator(owner, std::move(points));
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // An event sink of a dispinterface may answer only to IDispatch.
    ComPtr<IUnknown> typed;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(typed.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(typed.GetAddressOf()))))
        return CONNECT_E_CANNOTCONNECT;
    return NoThrow([&] {
        sinks_.emplace_back(nextCookie_, typed);
        *cookie = nextCookie_++;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it)
        if (it->first == cookie) {
            ComPtr<IUnknown> released = std::move(it->second); // released after the list is consistent
            sinks_.erase(it);
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (!connections) return E_POINTER;
    *connections = nullptr;
    return NoThrow([&] {
        *connections = new (std::nothrow) ConnectionEnumerator(&owner_, sinks_);
        return *connections ? S_OK : E_OUTOFMEMORY;
    });
}
