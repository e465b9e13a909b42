// Entry of Arkenfel_Update.exe. For now the program only shows its about box
// when started with "/about"; any other start ends at once.
#include <windows.h>
#include <commctrl.h>

#include "app/about_dialog.h"
#include "base/ansi_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    for (int i = 1; i < __argc; ++i) {
        if (base::EqualsNoCase(__argv[i], "/about")) {
            CAboutDlg().DoModal();
            break;
        }
    }
    return 0;
}
