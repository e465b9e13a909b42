#include "base/system_folders.h"

#include <windows.h>

namespace base {
namespace {

std::string FolderText(UINT (WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

}  // namespace

std::string SystemFolder() { return FolderText(::GetSystemDirectoryA); }
std::string WindowsFolder() { return FolderText(::GetWindowsDirectoryA); }

}  // namespace base
