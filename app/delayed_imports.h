// The updater's DLLs that are not known DLLs (VERSION, WININET, CRYPT32,
// MSIMG32, GDIPLUS, COMCTL32) are delay-loaded: nothing the loader resolves
// before the program starts can be taken from the program's folder.
#pragma once

namespace app {

// Makes every delay-loaded DLL come from the system folder by its full path,
// except the common controls, which come from the side-by-side assembly the
// manifest names (a full path would bypass it and give the old version).
void LoadDelayedImportsFromSystemFolder();

}  // namespace app
