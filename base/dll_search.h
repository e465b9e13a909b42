// Where the program's DLLs come from. The loader looks for a DLL that is not
// one of Windows' known DLLs in the program's own folder first, then in the
// current directory; neither is a place this elevated program trusts.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// The first thing each program does: DLLs loaded by name from now on come
// from the system folder only (SetDefaultDllDirectories, where the system
// has it). Without it, the current directory at least is taken out of the
// search (SetDllDirectoryA("")).
void RestrictDllSearch();

// Loads a system DLL by its full path in the system folder; null on failure.
HMODULE LoadSystemLibrary(const char* fileName);
// Loads a DLL by its full path; the DLLs it imports come from its own folder
// and the system folder.
HMODULE LoadLibraryBeside(const std::string& path);

}  // namespace base
