#include "services/app.h"

#include "com/com.h"
#include "com/module.h"

#include <windows.h>

#include <cstring>

namespace App {

namespace {

// One block of a version resource: a length, a key, a value, then child blocks, each on a 4-byte boundary.
struct VersionBlock {
    std::wstring_view key;
    std::wstring_view text; // the value, for text blocks
    size_t children = 0;    // offset of the first child
    size_t end = 0;         // offset just past the block
};

size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

bool ReadBlock(const BYTE* data, size_t offset, size_t limit, VersionBlock& block) {
    WORD header[3]; // length, value length, type (1: text)
    if (offset + sizeof(header) > limit) return false;
    std::memcpy(header, data + offset, sizeof(header));
    if (header[0] < sizeof(header) || offset + header[0] > limit) return false;
    block.end = offset + header[0];

    auto* key = reinterpret_cast<const wchar_t*>(data + offset + sizeof(header));
    size_t keyLength = 0;
    auto* keyEnd = reinterpret_cast<const wchar_t*>(data + block.end);
    while (key + keyLength < keyEnd && key[keyLength])
        ++keyLength;
    if (key + keyLength >= keyEnd) return false;
    block.key = std::wstring_view(key, keyLength);

    size_t value = Align4(offset + sizeof(header) + (keyLength + 1) * sizeof(wchar_t));
    size_t valueBytes = header[2] == 1 ? header[1] * sizeof(wchar_t) : header[1];
    // Some tools count a text value in bytes; the block's own end bounds it either way.
    size_t valueEnd = value + valueBytes < block.end ? value + valueBytes : block.end;
    block.text = {};
    if (header[2] == 1 && value < valueEnd) {
        auto* text = reinterpret_cast<const wchar_t*>(data + value);
        size_t length = 0;
        while (length < (valueEnd - value) / sizeof(wchar_t) && text[length])
            ++length;
        block.text = std::wstring_view(text, length);
    }
    block.children = Align4(value + valueBytes);
    return true;
}

// Calls visit on each child of the block until it returns true.
template <class Visit> bool ForEachChild(const BYTE* data, const VersionBlock& parent, Visit&& visit) {
    VersionBlock child;
    for (size_t at = parent.children; at < parent.end && ReadBlock(data, at, parent.end, child);
         at = Align4(child.end)) {
        if (visit(child)) return true;
    }
    return false;
}

} // namespace

std::wstring Path() {
    std::wstring path = Module::Path();
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // "C:" alone would mean the current folder of drive C, not its root.
    return path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
}

std::wstring VersionField(const wchar_t* name) {
    HMODULE module = Module::Instance();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return {};

    VersionBlock root;
    if (!ReadBlock(data, 0, SizeofResource(module, info), root)) return {};
    std::wstring found;
    ForEachChild(data, root, [&](const VersionBlock& fileInfo) {
        if (fileInfo.key != L"StringFileInfo") return false;
        return ForEachChild(data, fileInfo, [&](const VersionBlock& table) {
            return ForEachChild(data, table, [&](const VersionBlock& entry) {
                if (entry.key != name) return false;
                found = entry.text;
                return true;
            });
        });
    });
    return found;
}

std::wstring Title() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n < MAX_PATH ? n : 0);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

float Timer() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return static_cast<float>(t.wHour * 3600 + t.wMinute * 60 + t.wSecond) + t.wMilliseconds / 1000.0f;
}

void ReportRunTimeError(int number, std::string_view description, std::wstring_view subject) {
    std::wstring text = L"Run-time error " + DecimalText(number) + L": ";
    text.append(description.begin(), description.end()); // descriptions are ASCII
    if (!subject.empty()) text.append(L"\r\n\r\n").append(subject);
    MessageBoxW(nullptr, text.c_str(), Title().c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ExitProcess(static_cast<UINT>(number));
}

} // namespace App
