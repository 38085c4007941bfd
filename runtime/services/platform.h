// The platform seam: the modal dialogs and shell services the controls call go through one object, the real
// functions by default. A test installs its own with PlatformOverride to record the records passed and to
// answer like a user; shipped binaries never change it.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

class Platform {
public:
    virtual ~Platform() = default;
    virtual int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    virtual HINSTANCE ShellExecute(HWND owner, const wchar_t* operation, const wchar_t* file,
                                   const wchar_t* parameters, const wchar_t* directory, int show);
    virtual BOOL GetOpenFileName(OPENFILENAMEW* record);
    virtual BOOL GetSaveFileName(OPENFILENAMEW* record);
    virtual PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW* record);
    virtual BOOL GetPathFromIDList(PCIDLIST_ABSOLUTE list, wchar_t* path);
    virtual BOOL ChooseColor(CHOOSECOLORW* record);
    virtual BOOL ChooseFont(CHOOSEFONTW* record);
    virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data);
};

Platform& CurrentPlatform();

// Installs a platform for its own lifetime and puts the previous one back afterwards.
class PlatformOverride {
public:
    explicit PlatformOverride(Platform& platform);
    ~PlatformOverride();
    PlatformOverride(const PlatformOverride&) = delete;
    PlatformOverride& operator=(const PlatformOverride&) = delete;

private:
    Platform* previous_;
};
