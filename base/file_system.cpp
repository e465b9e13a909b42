// What the file calls of both platforms build on in the same way.
#include "base/file_system.h"

namespace base {

bool ReadingFile::ReadFull(void* to, size_t length, size_t& got) {
    got = 0;
    while (got < length) {
        size_t n = 0;
        if (!Read(static_cast<char*>(to) + got, length - got, n)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    ReadingFile file(path, ReadingFile::Sharing::kReaders, false);
    uint64_t size = 0;
    if (!file.Size(size) || size > 0x7FFFFFFF) return false;
    std::string content(static_cast<size_t>(size), '\0');
    size_t got = 0;
    if (!file.ReadFull(&content[0], content.size(), got) || got != content.size()) return false;
    bytes.swap(content);
    return true;
}

}  // namespace base
