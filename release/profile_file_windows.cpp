#include <windows.h>

#include <functional>
#include <vector>

#include "release/ini_reader.h"
#include "release/profile_file.h"

namespace release {
namespace {

constexpr DWORD kInitialBuffer = 100000;

// Calls a profile function that fills a double-NUL-terminated list, growing
// the buffer until the list fits (the functions return size - 2 when cut).
base::StringList ReadNulList(const std::function<DWORD(char*, DWORD)>& call) {
    std::vector<char> buffer;
    for (DWORD size = kInitialBuffer;; size *= 2) {
        buffer.assign(size, '\0');
        if (call(buffer.data(), size) < size - 2) break;
    }
    return SplitNulList(buffer.data(), buffer.size());
}

}  // namespace

base::StringList ProfileSectionNames(const std::string& path) {
    return ReadNulList([&](char* buffer, DWORD size) { return ::GetPrivateProfileSectionNamesA(buffer, size, path.c_str()); });
}

base::StringList ProfileSectionLines(const std::string& path, const std::string& section) {
    return ReadNulList(
        [&](char* buffer, DWORD size) { return ::GetPrivateProfileSectionA(section.c_str(), buffer, size, path.c_str()); });
}

}  // namespace release
