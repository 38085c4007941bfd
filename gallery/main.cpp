#include "gallery_form.h"

#include <windows.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    int exitCode;
    {
        GalleryForm form;
        exitCode = form.Run(showCommand);
    }
    OleUninitialize();
    return exitCode;
}
