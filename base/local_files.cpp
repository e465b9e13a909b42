#include "base/local_files.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/unique_handle.h"

namespace base {
namespace {

constexpr int kCopyAttempts = 15;
constexpr DWORD kCopyRetryDelayMs = 300;
constexpr DWORD kCopyBlock = 256 * 1024;

// The temporary copy sits in the target's own folder so that the final move
// is a rename within one volume.
std::string TemporaryCopyName(const std::string& target) { return target + ".$cp$"; }

// Writes the open file, from its start, into a new file at `path`.
bool WriteCopyOf(HANDLE source, const std::string& path) {
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    base::UniqueFile copy = OpenForWriting(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!copy) return false;
    std::vector<char> block(kCopyBlock);
    for (;;) {
        DWORD got = 0, written = 0;
        if (!::ReadFile(source, block.data(), kCopyBlock, &got, nullptr)) return false;
        if (got == 0) return true;
        if (!::WriteFile(copy.get(), block.data(), got, &written, nullptr) || written != got) return false;
    }
}

// `writeCopy` puts the copy at the temporary name it is given.
template <typename WriteCopy>
bool CopyThroughTemporary(const std::string& target, WriteCopy writeCopy) {
    const std::string temporary = TemporaryCopyName(target);
    if (!writeCopy(temporary)) {
        const DWORD error = ::GetLastError();
        DeleteName(temporary);
        ::SetLastError(error);
        return false;
    }
    // The move replaces the target's name: a link or a further hard link
    // found there is replaced, never written through.
    if (!MoveName(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        DeleteName(temporary);
        ::SetLastError(error);
        return false;
    }
    return true;
}

template <typename WriteCopy>
int CopyWithRetry(const std::string& target, WriteCopy writeCopy) {
    for (int attempt = 1;; ++attempt) {
        if (CopyThroughTemporary(target, writeCopy)) return 1;
        if (attempt == kCopyAttempts) return 0;
        ::Sleep(kCopyRetryDelayMs);
    }
}

}  // namespace

int ReadFileToString(const std::string& path, std::string& text) {
    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return 0;
    // A file the server made larger than memory can hold is a failed read,
    // not the end of the program.
    std::string content;
    try {
        content.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
    DWORD read = 0;
    if (!content.empty() &&
        (!::ReadFile(file.get(), &content[0], static_cast<DWORD>(content.size()), &read, nullptr) ||
         read != content.size()))
        return 0;
    text.swap(content);
    return 1;
}

int WriteStringToFile(const std::string& path, const std::string& text) {
    base::UniqueFile file = OpenForWriting(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file) return 0;
    DWORD written = 0;
    if (!text.empty() &&
        (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
         written != text.size()))
        return 0;
    return 1;
}

int ReadLines(const std::string& path, base::StringList& lines) {
    std::string text;
    return ReadFileToString(path, text) ? SplitLines(text, lines) : 0;
}

int SplitLines(const std::string& text, base::StringList& lines) {
    base::StringList pieces;
    base::SplitString(text, "\r\n", pieces);
    int added = 0;
    for (const std::string& piece : pieces) {
        std::string line = base::Trim(piece);
        if (line.empty()) continue;
        lines.push_back(line);
        added = 1;
    }
    return added;
}

int CopyFileWithRetry(const std::string& existingPath, const std::string& newPath) {
    return CopyWithRetry(newPath, [&](const std::string& temporary) {
        const base::UniqueFile source(::CreateFileA(existingPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return source && WriteCopyOf(source.get(), temporary);
    });
}

int CopyOpenFileWithRetry(HANDLE source, const std::string& newPath) {
    return CopyWithRetry(newPath, [&](const std::string& temporary) { return WriteCopyOf(source, temporary); });
}

uint64_t ParseVersionValue(const std::string& text) {
    base::StringList pieces;
    base::SplitString(base::ReplaceAll(text, ",", "."), ".", pieces);
    const size_t count = pieces.size() < 4 ? pieces.size() : 4;
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        const int64_t component = std::strtol(pieces[i].c_str(), nullptr, 10);
        value |= static_cast<uint64_t>(component) << (16 * (count - 1 - i));
    }
    return value;
}

int CreateDirectories(const std::string& path) {
    const std::string folder = Trim(path);
    // A path without a drive or server of its own has no root to start from.
    if (folder.empty() || (folder[0] == '\\' && folder.compare(0, 2, "\\\\") != 0)) return 0;
    return MakeFolders(folder) ? 1 : 0;
}

}  // namespace base
