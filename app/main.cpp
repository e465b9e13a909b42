// Entry of Arkenfel_Update.exe: the DLL search is restricted before anything
// else, then the application object decides what this process does
// (relocate, refuse a second instance, or run the update window).
#include <windows.h>

#include "app/delayed_imports.h"
#include "app/vn_update_app.h"
#include "base/dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    base::RestrictDllSearch();
    app::LoadDelayedImportsFromSystemFolder();
    return app::CVNUpdateApp().InitInstance();
}
