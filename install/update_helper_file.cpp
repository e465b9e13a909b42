#include "install/update_helper_file.h"

#include <windows.h>

#include "base/module_path.h"
#include "base/unique_handle.h"
#include "install/running_programs.h"
#include "res/resource.h"

namespace install {

std::string GetUpdateHelperPath() { return base::GetModuleFolder() + "UpdateHelper.exe"; }

bool ExtractUpdateHelper(const std::string& path) {
    HMODULE self = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(self, MAKEINTRESOURCEA(IDR_HELPER_BIN), "BIN");
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(self, found);
    if (!loaded) return false;
    const void* bytes = ::LockResource(loaded);
    if (!bytes) return false;
    const DWORD size = ::SizeofResource(self, found);

    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
}

bool PrepareUpdateHelper() { return PrepareUpdateHelper(GetUpdateHelperPath()); }

bool PrepareUpdateHelper(const std::string& path) {
    if (!WaitForFileFree(path)) return false;
    return ExtractUpdateHelper(path);
}

}  // namespace install
