#include "event_sink.h"

#include "type_info.h"

#include <new>

namespace gallery {

HRESULT EventSink::Connect(IUnknown* control, std::wstring name, Report report, ComPtr<EventSink>& out) {
    ComPtr<ITypeInfo> coclass, info;
    RETURN_IF_FAILED(ClassInfo(control, coclass));
    RETURN_IF_FAILED(InterfaceOf(coclass.Get(), true, info));
    TYPEATTR* attr = nullptr;
    RETURN_IF_FAILED(info->GetTypeAttr(&attr));
    IID events = attr->guid;
    info->ReleaseTypeAttr(attr);

    ComPtr<IConnectionPointContainer> points;
    RETURN_IF_FAILED(control->QueryInterface(IID_PPV_ARGS(&points)));
    ComPtr<EventSink> sink = Adopt(new (std::nothrow) EventSink());
    RETURN_HR_IF_NULL(E_OUTOFMEMORY, sink);
    sink->name_ = std::move(name);
    sink->report_ = std::move(report);
    sink->events_ = events;
    sink->info_ = info;
    RETURN_IF_FAILED(points->FindConnectionPoint(events, &sink->point_));
    RETURN_IF_FAILED(sink->point_->Advise(static_cast<IDispatch*>(sink.Get()), &sink->cookie_));
    out = sink;
    return S_OK;
}

void EventSink::Disconnect() {
    if (point_ && cookie_) point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
    report_ = nullptr;
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != events_) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EventSink::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index) return DISP_E_BADINDEX;
    return info_.CopyTo(info);
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return info_->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    return NoThrow([&]() -> HRESULT {
        if (!report_) return S_OK;
        BSTR names[16] = {};
        UINT count = 0;
        info_->GetNames(id, names, 16, &count);
        std::wstring line = name_ + L"." + (count ? std::wstring(TextOf(names[0])) : L"#" + std::to_wstring(id));
        UINT args = params ? params->cArgs : 0;
        for (UINT i = 0; i < args; ++i) {
            // Arguments arrive last first.
            const VARIANT& arg = params->rgvarg[args - 1 - i];
            line += i ? L", " : L" ";
            if (i + 1 < count) line += std::wstring(TextOf(names[i + 1])) + L"=";
            line += DisplayText(arg, false);
        }
        for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        Report report = report_; // the report may disconnect this sink
        report(line);
        return S_OK;
    });
}

} // namespace gallery
