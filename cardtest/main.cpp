#include "form1.h"

#include <windows.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    int exitCode;
    {
        Form1 form;
        exitCode = form.Run(showCommand);
    }
    OleUninitialize();
    return exitCode;
}
