#include "folder_browser.h"

#include "dialog_values.h"
#include "services/platform.h"

#include <memory>
#include <vector>

namespace {
// The picker's item list belongs to the caller, who gives it back to the shell's task allocator.
struct TaskMemFree {
    void operator()(ITEMIDLIST_ABSOLUTE* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST_ABSOLUTE, TaskMemFree>;
} // namespace

HRESULT CreateFolderBrowser(REFIID iid, void** object) {
    return CreateControl<FolderBrowser>(iid, object);
}

FolderBrowser::FolderBrowser()
    : BrowseBox(BrowseClass(CLSID_FolderBrowser, DIID___FolderBrowser), this, BrowseIcon::Folder) {}

HRESULT FolderBrowser::ShowDialog(std::wstring& path) {
    path = ShowFolderDialog(hWnd(), L"Select a folder");
    return S_OK;
}

std::wstring FolderBrowser::ShowFolderDialog(HWND owner, const wchar_t* instruction) {
    BROWSEINFOW record{};
    record.hwndOwner = owner;
    record.pidlRoot = nullptr; // the desktop
    record.pszDisplayName = nullptr;
    record.lpszTitle = instruction;
    record.ulFlags = BIF_RETURNONLYFSDIRS;
    ItemList list(CurrentPlatform().BrowseForFolder(&record));
    if (!list) return {};
    std::vector<wchar_t> buffer(513, L' '); // 512 blanks and a NUL
    buffer.back() = L'\0';
    if (!CurrentPlatform().GetPathFromIDList(list.get(), buffer.data())) return {};
    return TextBeforeNul(std::wstring_view(buffer.data(), buffer.size()));
}
