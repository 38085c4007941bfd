#include "file_browser.h"

#include "dialog_values.h"
#include "com/module.h"
#include "services/platform.h"

#include <vector>

namespace {
constexpr wchar_t kDefaultFilter[] = L"All Files (*.*) | *.*";
constexpr wchar_t kDefaultInitDir[] = L"C:\\";
constexpr wchar_t kDefaultTitle[] = L"Open";

// 254 blanks and a NUL: the dialog's file-name box starts out with the blanks.
// The dialog's name box starts empty: a name of blanks had to be deleted before typing, and the dialog
// could fail on it when accepted as it stood.
std::vector<wchar_t> EmptyNameBuffer() {
    return std::vector<wchar_t>(255, L'\0');
}
} // namespace

HRESULT CreateFileBrowser(REFIID iid, void** object) {
    return CreateControl<FileBrowser>(iid, object);
}

FileBrowser::FileBrowser()
    : BrowseBox(BrowseClass(CLSID_FileBrowser, DIID___FileBrowser), this, BrowseIcon::Sheet) {}

// ---------------------------------------------------------------- properties: any value is taken

STDMETHODIMP FileBrowser::get_FileDialogType(DialogType* value) {
    if (!value) return E_POINTER;
    *value = static_cast<DialogType>(dialogType_);
    return S_OK;
}

STDMETHODIMP FileBrowser::put_FileDialogType(DialogType New_FileDialogType) {
    dialogType_ = New_FileDialogType;
    PropertyChanged(L"FileDialogType");
    return S_OK;
}

STDMETHODIMP FileBrowser::get_Filter(BSTR* value) {
    return CopyText(filter_, value);
}

STDMETHODIMP FileBrowser::put_Filter(BSTR New_Filter) {
    filter_ = TextOf(New_Filter);
    PropertyChanged(L"Filter");
    return S_OK;
}

STDMETHODIMP FileBrowser::get_InitDir(BSTR* value) {
    return CopyText(initDir_, value);
}

STDMETHODIMP FileBrowser::put_InitDir(BSTR New_InitDir) {
    initDir_ = TextOf(New_InitDir);
    PropertyChanged(L"InitDir");
    return S_OK;
}

STDMETHODIMP FileBrowser::get_Title(BSTR* value) {
    return CopyText(title_, value);
}

STDMETHODIMP FileBrowser::put_Title(BSTR New_Title) {
    title_ = TextOf(New_Title);
    PropertyChanged(L"Title");
    return S_OK;
}

// ---------------------------------------------------------------- persistence

HRESULT FileBrowser::InitProperties() {
    dialogType_ = 0;
    filter_ = kDefaultFilter;
    initDir_ = kDefaultInitDir;
    title_ = kDefaultTitle;
    return S_OK;
}

HRESULT FileBrowser::ReadProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(BrowseBox::ReadProperties(bag));
    RETURN_IF_FAILED(bag.Read(L"FileDialogType", LONG{0}, dialogType_));
    RETURN_IF_FAILED(bag.Read(L"Filter", kDefaultFilter, filter_));
    RETURN_IF_FAILED(bag.Read(L"InitDir", kDefaultInitDir, initDir_));
    return bag.Read(L"Title", kDefaultTitle, title_);
}

HRESULT FileBrowser::WriteProperties(PropertyBag& bag) {
    RETURN_IF_FAILED(BrowseBox::WriteProperties(bag));
    RETURN_IF_FAILED(bag.Write(L"FileDialogType", dialogType_, LONG{0}));
    RETURN_IF_FAILED(bag.Write(L"Filter", filter_, kDefaultFilter));
    RETURN_IF_FAILED(bag.Write(L"InitDir", initDir_, kDefaultInitDir));
    return bag.Write(L"Title", title_, kDefaultTitle);
}

// ---------------------------------------------------------------- the dialogs

HRESULT FileBrowser::ShowDialog(std::wstring& path) {
    path = dialogType_ != 0 ? ShowSaveFileDialog(filter_, title_, initDir_)
                            : ShowOpenFileDialog(filter_, title_, initDir_);
    return S_OK;
}

std::wstring FileBrowser::ShowOpenFileDialog(const std::wstring& filter, const std::wstring& title,
                                             const std::wstring& initDir) {
    return ShowFileDialog(false, filter, title, initDir);
}

std::wstring FileBrowser::ShowSaveFileDialog(const std::wstring& filter, const std::wstring& title,
                                             const std::wstring& initDir) {
    return ShowFileDialog(true, filter, title, initDir);
}

std::wstring FileBrowser::ShowFileDialog(bool save, const std::wstring& filter, const std::wstring& title,
                                         const std::wstring& initDir) {
    const std::wstring list = ConvertFilter(filter); // c_str() adds the NUL that ends the list
    std::vector<wchar_t> file = EmptyNameBuffer(), fileTitle = EmptyNameBuffer();
    OPENFILENAMEW record{};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = hWnd();
    record.hInstance = Module::Instance();
    record.lpstrFilter = list.c_str();
    record.lpstrFile = file.data();
    record.nMaxFile = static_cast<DWORD>(file.size());
    record.lpstrFileTitle = fileTitle.data();
    record.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
    record.lpstrInitialDir = initDir.c_str();
    record.lpstrTitle = title.c_str();
    record.Flags = save ? OFN_CREATEPROMPT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT
                        : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    // Cancelled and failed are alike: nothing chosen.
    const BOOL chosen =
        save ? CurrentPlatform().GetSaveFileName(&record) : CurrentPlatform().GetOpenFileName(&record);
    if (!chosen) return {};
    return FileDialogResult(std::wstring_view(file.data(), file.size()));
}
