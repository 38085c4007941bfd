#include "intrinsics/control.h"

#include <olectl.h>

#include <algorithm>

TextBox::TextBox(Container& container, int id)
    : Control(container, id, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE,
              Look{0x80000005, 0x80000008, 0, true, true}) {}

void TextBox::OnCommand(WORD notification) {
    if (notification == EN_CHANGE) Raise(Change);
}

long TextBox::SelStart() const {
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<long>(start);
}

long TextBox::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<long>(end - start);
}

HRESULT TextBox::SetSelStart(long start) {
    if (start < 0) return CTL_E_INVALIDPROPERTYVALUE;
    start = std::min<long>(start, GetWindowTextLengthW(hWnd()));
    SendMessageW(hWnd(), EM_SETSEL, static_cast<WPARAM>(start), start);
    SendMessageW(hWnd(), EM_SCROLLCARET, 0, 0);
    return S_OK;
}

HRESULT TextBox::SetSelLength(long length) {
    if (length < 0) return CTL_E_INVALIDPROPERTYVALUE;
    long start = SelStart();
    long end = start + std::min<long>(length, GetWindowTextLengthW(hWnd()) - start);
    SendMessageW(hWnd(), EM_SETSEL, static_cast<WPARAM>(start), end);
    return S_OK;
}

std::wstring TextBox::SelText() const {
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::wstring text = Text();
    if (start > text.size()) return {};
    return text.substr(start, end - start);
}

void TextBox::SetSelText(std::wstring_view text) {
    SendMessageW(hWnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
}

bool TextBox::Locked() const {
    return (GetWindowLongW(hWnd(), GWL_STYLE) & ES_READONLY) != 0;
}

void TextBox::SetLocked(bool locked) {
    SendMessageW(hWnd(), EM_SETREADONLY, locked, 0);
}

HRESULT TextBox::SetMaxLength(long length) {
    if (length < 0) return CTL_E_INVALIDPROPERTYVALUE;
    maxLength_ = length;
    SendMessageW(hWnd(), EM_SETLIMITTEXT, static_cast<WPARAM>(length), 0); // 0: the largest the edit takes
    return S_OK;
}

HRESULT TextBox::SetAlignment(short alignment) {
    static const LONG styles[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    if (alignment < 0 || alignment > 2) return CTL_E_INVALIDPROPERTYVALUE;
    if (alignment == alignment_ || !hWnd()) {
        alignment_ = alignment;
        return S_OK;
    }
    // The edit reads its alignment only when it is made.
    DWORD start = 0, end = 0;
    SendMessageW(hWnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    LRESULT limit = SendMessageW(hWnd(), EM_GETLIMITTEXT, 0, 0);
    LONG style = GetWindowLongW(hWnd(), GWL_STYLE) & ~(ES_LEFT | ES_RIGHT | ES_CENTER);
    HRESULT hr = Recreate(static_cast<DWORD>(style | styles[alignment]),
                          static_cast<DWORD>(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
    if (FAILED(hr)) return hr;
    alignment_ = alignment;
    SendMessageW(hWnd(), EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
    SendMessageW(hWnd(), EM_SETSEL, start, static_cast<LPARAM>(end));
    return S_OK;
}

short TextBox::BorderStyle() const {
    return EdgeStyle();
}

HRESULT TextBox::SetBorderStyle(short borderStyle) {
    return SetEdgeStyle(borderStyle);
}
