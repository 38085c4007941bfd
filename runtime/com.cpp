#include "com.h"

HRESULT ReportError(HRESULT hr, REFIID iid, std::wstring_view description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(L"Dravlix"));
        std::wstring text(description);
        create->SetDescription(text.data());
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    }
    return hr;
}
