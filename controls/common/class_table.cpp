#include "class_table.h"

#include "color_browser.h"
#include "color_button.h"
#include "color_selector.h"
#include "dravlix.h"
#include "file_browser.h"
#include "folder_browser.h"
#include "font_browser.h"
#include "hyperlink.h"
#include "label3d.h"
#include "splitter.h"
#include "tray_area.h"

#include <iterator>

namespace {
// OLEMISC status every control publishes: recompose on resize, can't link inside, inside-out, activate when
// visible, set client site first.
constexpr DWORD kCommonStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
static_assert(kCommonStatus == 0x20191);
} // namespace

const ControlClass ControlClasses[] = {
    {&CLSID_FolderBrowser, L"FolderBrowser", 30009, kCommonStatus, CreateFolderBrowser},
    {&CLSID_FileBrowser, L"FileBrowser", 30008, kCommonStatus, CreateFileBrowser},
    {&CLSID_ColorBrowser, L"ColorBrowser", 30007, kCommonStatus, CreateColorBrowser},
    {&CLSID_ColorButton, L"ColorButton", 30006, kCommonStatus | OLEMISC_ACTSLIKEBUTTON, CreateColorButton},
    {&CLSID_ColorSelector, L"ColorSelector", 30005, kCommonStatus, CreateColorSelector},
    {&CLSID_Hyperlink, L"Hyperlink", 30004, kCommonStatus, CreateHyperlink},
    {&CLSID_Splitter, L"Splitter", 30003, kCommonStatus | OLEMISC_ALIGNABLE | OLEMISC_SIMPLEFRAME, CreateSplitter},
    {&CLSID_FontBrowser, L"FontBrowser", 30002, kCommonStatus, CreateFontBrowser},
    {&CLSID_Label3D, L"Label3D", 30001, kCommonStatus, CreateLabel3D},
    {&CLSID_TrayArea, L"TrayArea", 30000,
     kCommonStatus | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_NOUIACTIVATE, CreateTrayArea},
};

const size_t ControlClassCount = std::size(ControlClasses);
