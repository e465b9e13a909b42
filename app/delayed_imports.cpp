#include "app/delayed_imports.h"

#include <windows.h>
#include <delayimp.h>

#include "base/dll_search.h"

namespace app {
namespace {

FARPROC WINAPI LoadDelayedImport(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    // Null lets the delay-load helper load it by name, which the manifest's
    // side-by-side dependency resolves before any search.
    if (::lstrcmpiA(info->szDll, "comctl32.dll") == 0) return nullptr;
    // Handed to the delay-load helper, which keeps it loaded for the process's life.
    HMODULE module = base::LoadSystemLibrary(info->szDll);
    // Null would make the helper search by name, the program's folder
    // included; a system DLL missing from the system folder is a failed load.
    if (!module) ::RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 0, nullptr);
    return reinterpret_cast<FARPROC>(module);
}

}  // namespace

void LoadDelayedImportsFromSystemFolder() { __pfnDliNotifyHook2 = LoadDelayedImport; }

}  // namespace app
