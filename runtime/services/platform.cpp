#include "services/platform.h"

#include <atomic>

// The member names are the ones <windows.h> maps to their W forms; the bodies name the W functions outright.
int Platform::MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return ::MessageBoxW(owner, text, caption, type);
}

HINSTANCE Platform::ShellExecute(HWND owner, const wchar_t* operation, const wchar_t* file,
                                 const wchar_t* parameters, const wchar_t* directory, int show) {
    return ::ShellExecuteW(owner, operation, file, parameters, directory, show);
}

BOOL Platform::GetOpenFileName(OPENFILENAMEW* record) {
    return ::GetOpenFileNameW(record);
}

BOOL Platform::GetSaveFileName(OPENFILENAMEW* record) {
    return ::GetSaveFileNameW(record);
}

PIDLIST_ABSOLUTE Platform::BrowseForFolder(BROWSEINFOW* record) {
    return ::SHBrowseForFolderW(record);
}

BOOL Platform::GetPathFromIDList(PCIDLIST_ABSOLUTE list, wchar_t* path) {
    return ::SHGetPathFromIDListW(list, path);
}

BOOL Platform::ChooseColor(CHOOSECOLORW* record) {
    return ::ChooseColorW(record);
}

BOOL Platform::ChooseFont(CHOOSEFONTW* record) {
    return ::ChooseFontW(record);
}

BOOL Platform::NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
    return ::Shell_NotifyIconW(message, data);
}

namespace {
Platform realPlatform;
std::atomic<Platform*> current{&realPlatform};
} // namespace

Platform& CurrentPlatform() {
    return *current.load();
}

PlatformOverride::PlatformOverride(Platform& platform) : previous_(current.exchange(&platform)) {}

PlatformOverride::~PlatformOverride() {
    current.store(previous_);
}
