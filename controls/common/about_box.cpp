#include "about_box.h"

#include "about_text.h"
#include "services/app.h"
#include "com/com.h"
#include "services/platform.h"

HRESULT ShowAboutBox() {
    return NoThrow([] {
        std::wstring text =
            AboutText(App::VersionField(L"CompanyName"), App::VersionField(L"Comments"),
                      App::VersionField(L"FileDescription"), App::VersionField(L"LegalCopyright"));
        SetLastError(ERROR_SUCCESS);
        if (CurrentPlatform().MessageBox(GetActiveWindow(), text.c_str(), L"About Quendral Controls", MB_OK))
            return S_OK;
        DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    });
}
