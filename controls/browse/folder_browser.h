// FolderBrowser: the browse box for a folder. The button (or Alt+Down) opens the system's folder picker
// at the desktop; the chosen folder's path replaces the text.
#pragma once
#include "browse_box.h"
#include "dravlix.h"

HRESULT CreateFolderBrowser(REFIID iid, void** object);

class FolderBrowser final : public BrowseBoxMembers<FolderBrowser, _FolderBrowser>, public BrowseBox {
private:
    friend HRESULT CreateControl<FolderBrowser>(REFIID, void**);
    FolderBrowser();

    HRESULT ShowDialog(std::wstring& path) override;
    // The chosen folder's path, or "" when the user cancelled or the item has no file-system path.
    static std::wstring ShowFolderDialog(HWND owner, const wchar_t* instruction);
};
