// Connection points embedded in a control: the host's event sinks and property-change sinks.
#pragma once
#include "com/com.h"

#include <ocidl.h>

#include <utility>
#include <vector>

// Lives inside its container object and shares its reference count.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer& owner, const IID& iid) : owner_(owner), iid_(iid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    const IID& iid() const { return iid_; }
    // Calls f for each sink of a snapshot, so that a sink may disconnect itself from within.
    template <class F> void ForEachSink(F&& f) {
        std::vector<ComPtr<IUnknown>> sinks;
        sinks.reserve(sinks_.size());
        for (auto& s : sinks_) sinks.push_back(s.second);
        for (auto& s : sinks) f(s.Get());
    }
    void DisconnectAll() { sinks_.clear(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer& owner_;
    IID iid_;
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
    DWORD nextCookie_ = 1;
};

HRESULT CreateConnectionPointEnumerator(IUnknown* owner, std::vector<IConnectionPoint*> points,
                                        IEnumConnectionPoints** out);
