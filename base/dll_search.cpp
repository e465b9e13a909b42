#include "base/dll_search.h"

#include "base/system_folders.h"

namespace base {
namespace {

// Not in the headers of the Windows version this program is built for.
constexpr DWORD kSearchSystem32 = 0x00000800;      // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kSearchDllLoadDir = 0x00000100;    // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchDefaultDirs = 0x00001000;   // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS

template <typename Function>
Function KernelFunction(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    // Looked up at run time: older systems lack one or both.
    if (auto restrict = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
        if (restrict(kSearchSystem32)) return;
    }
    if (auto setDirectory = KernelFunction<SetDllDirectoryFn>("SetDllDirectoryA")) setDirectory("");
}

HMODULE LoadSystemLibrary(const char* fileName) {
    const std::string folder = SystemFolder();
    if (folder.empty()) return nullptr;
    const std::string path = folder + "\\" + fileName;
    // The DLL's own imports are then looked for beside it, in the system folder.
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadLibraryBeside(const std::string& path) {
    HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, kSearchDllLoadDir | kSearchDefaultDirs);
    // Systems without the search flags refuse them as a bad parameter; there
    // the altered search path starts at the DLL's folder as well.
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

}  // namespace base
