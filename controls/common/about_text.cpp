#include "about_text.h"

std::wstring AboutText(std::wstring_view company, std::wstring_view comments, std::wstring_view description,
                       std::wstring_view copyright) {
    std::wstring message;
    for (std::wstring_view field : {company, comments, description})
        message.append(field).append(L"\r\n\r\n");
    message.append(L"\u00A9").append(copyright);

    std::wstring text;
    text.reserve(message.size() + 16);
    for (wchar_t c : message) {
        text += c;
        if (c == L'.') text.append(L"\r\n");
    }
    return text;
}
