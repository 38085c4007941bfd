#include "form1.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    Form1 form;
    return form.Run(showCommand);
}
