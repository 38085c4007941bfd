#include "com/com.h"

#include <cwchar>

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

BSTR ErrorText(HRESULT hr) {
    switch (hr) {
    case CTL_E_ILLEGALFUNCTIONCALL:
        return SysAllocString(L"Invalid procedure call or argument.");
    case CTL_E_OVERFLOW:
        return SysAllocString(L"Overflow.");
    case CTL_E_INVALIDPROPERTYVALUE:
        return SysAllocString(L"Invalid property value.");
    }
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' '))
        --n;
    BSTR message = n ? SysAllocStringLen(text, n) : nullptr;
    if (text) LocalFree(text);
    if (n) return message;
    wchar_t code[24];
    wsprintfW(code, L"Error 0x%08lX.", static_cast<unsigned long>(hr));
    return SysAllocString(code);
}
