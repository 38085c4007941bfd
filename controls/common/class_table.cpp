#include "class_table.h"
#include "misc_status.h"

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

const ControlClass ControlClasses[] = {
    {&CLSID_FolderBrowser, L"FolderBrowser", 30009, kCommonStatus, CreateFolderBrowser},
    {&CLSID_FileBrowser, L"FileBrowser", 30008, kCommonStatus, CreateFileBrowser},
    {&CLSID_ColorBrowser, L"ColorBrowser", 30007, kCommonStatus, CreateColorBrowser},
    {&CLSID_ColorButton, L"ColorButton", 30006, kButtonStatus, CreateColorButton},
    {&CLSID_ColorSelector, L"ColorSelector", 30005, kCommonStatus, CreateColorSelector},
    {&CLSID_Hyperlink, L"Hyperlink", 30004, kCommonStatus, CreateHyperlink},
    {&CLSID_Splitter, L"Splitter", 30003, kContainerStatus, CreateSplitter},
    {&CLSID_FontBrowser, L"FontBrowser", 30002, kCommonStatus, CreateFontBrowser},
    {&CLSID_Label3D, L"Label3D", 30001, kCommonStatus, CreateLabel3D},
    {&CLSID_TrayArea, L"TrayArea", 30000,
     kInvisibleStatus, CreateTrayArea},
};

const size_t ControlClassCount = std::size(ControlClasses);
