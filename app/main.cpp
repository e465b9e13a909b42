// Entry of Arkenfel_Update.exe: the application object decides what this
// process does (relocate, refuse a second instance, or run the update window).
#include <windows.h>

#include "app/vn_update_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return app::CVNUpdateApp().InitInstance(); }
