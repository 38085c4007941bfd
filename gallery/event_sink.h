// One listener per placed control: answers IDispatch::Invoke for the control's default event interface and
// reports each event, named with its arguments from that interface's type information, as it is raised.
#pragma once
#include "com/com.h"

#include <functional>
#include <string>

namespace gallery {

class EventSink final : public IDispatch {
public:
    using Report = std::function<void(const std::wstring& line)>;
    // Listens to the control's events until Disconnect; the lines start with the control's name.
    static HRESULT Connect(IUnknown* control, std::wstring name, Report report, ComPtr<EventSink>& out);
    void Disconnect();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    EventSink() = default;
    ~EventSink() = default;

    LONG refs_ = 1;
    std::wstring name_;
    Report report_;
    IID events_{};
    ComPtr<ITypeInfo> info_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

} // namespace gallery
