#include "base/held_file.h"

namespace base {

UniqueFile OpenHeldFile(const std::string& path) {
    return UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadHeldFile(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size, start = {};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF ||
        !::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!content.empty() &&
        (!::ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &read, nullptr) || read != content.size()))
        return false;
    bytes.swap(content);
    return true;
}

}  // namespace base
