// FileBrowser: the browse box for a file. The button (or Alt+Down) opens the system's Open or Save As
// dialog, configured by four properties of the control's own; a chosen file's full path replaces the text.
#pragma once
#include "browse_box.h"
#include "dravlix.h"

HRESULT CreateFileBrowser(REFIID iid, void** object);

class FileBrowser final : public BrowseBoxMembers<FileBrowser, _FileBrowser>, public BrowseBox {
public:
    STDMETHODIMP get_FileDialogType(DialogType* value) override;
    STDMETHODIMP put_FileDialogType(DialogType New_FileDialogType) override;
    STDMETHODIMP get_Filter(BSTR* value) override;
    STDMETHODIMP put_Filter(BSTR New_Filter) override;
    STDMETHODIMP get_InitDir(BSTR* value) override;
    STDMETHODIMP put_InitDir(BSTR New_InitDir) override;
    STDMETHODIMP get_Title(BSTR* value) override;
    STDMETHODIMP put_Title(BSTR New_Title) override;

private:
    friend HRESULT CreateControl<FileBrowser>(REFIID, void**);
    FileBrowser();

    HRESULT InitProperties() override;
    HRESULT ReadProperties(PropertyBag& bag) override;
    HRESULT WriteProperties(PropertyBag& bag) override;
    HRESULT ShowDialog(std::wstring& path) override;

    // The chosen file's full path, or "" when the user cancelled or the dialog failed.
    std::wstring ShowOpenFileDialog(const std::wstring& filter, const std::wstring& title,
                                    const std::wstring& initDir);
    std::wstring ShowSaveFileDialog(const std::wstring& filter, const std::wstring& title,
                                    const std::wstring& initDir);
    std::wstring ShowFileDialog(bool save, const std::wstring& filter, const std::wstring& title,
                                const std::wstring& initDir);

    LONG dialogType_ = 0; // 0 Open, any other value Save As
    std::wstring filter_;
    std::wstring initDir_;
    std::wstring title_;
};
