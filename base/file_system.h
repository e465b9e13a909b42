// The file calls the release format's readers and the release tool make,
// for Windows (file_system_windows.cpp) and for Linux (file_system_posix.cpp),
// where the release tool runs too. Paths are in the list's code page on both
// (base/code_page.h); on Linux they are turned into the UTF-8 names the file
// system holds, and a name with no CP949 form is never listed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace base {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// `folder`, the separator and `relative` ("/"-separated) in the platform's form.
std::string JoinPath(const std::string& folder, const std::string& relative);

// Two paths name one place as far as their text tells: case aside on
// Windows, byte for byte on Linux.
bool SamePath(const std::string& a, const std::string& b);

// The reason the last failed call of this thread gave, as a sentence.
std::string LastFileErrorText();

// A file opened for reading, closed with its owner.
class ReadingFile {
public:
    enum class Sharing { kReaders, kReadersAndWriters };  // whom Windows lets open it meanwhile
    ReadingFile(const std::string& path, Sharing sharing, bool sequential);
    ~ReadingFile();
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

    bool ok() const;
    // False when the file did not exist (or a folder of its path).
    bool found() const { return found_; }
    // Its size when opened; false when it cannot be examined.
    bool Size(uint64_t& size) const;
    // Up to `length` bytes at the file position; `got` is 0 at the end.
    bool Read(void* to, size_t length, size_t& got);
    // Fills `to` unless the file ends first.
    bool ReadFull(void* to, size_t length, size_t& got);
    bool Seek(uint64_t offset);

private:
#ifdef _WIN32
    void* handle_;
#else
    int fd_;
#endif
    bool found_ = true;
};

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Size in bytes; 0 when the file cannot be examined.
uint64_t FileSizeOf(const std::string& path);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// The absolute form of `path`, without a trailing separator (a drive's or
// the file system's root keeps its own); false when it cannot have one.
bool AbsolutePath(const std::string& path, std::string& absolute);
// True when the file is gone afterwards (also when it never was there).
bool DeleteIfPresent(const std::string& path);
// Creates or truncates `path` and writes `bytes` through to the disk.
enum class WriteResult { kWritten, kNotCreated, kNotWritten };
WriteResult WriteNewFile(const std::string& path, const std::string& bytes);
// Creates `path` only where nothing is yet (on Linux readable by its owner
// alone: it is meant for keys) and writes `bytes`.
WriteResult WriteFreshFile(const std::string& path, const std::string& bytes);
// Puts `from` in the place of `to` in one step, replacing it.
bool ReplaceWith(const std::string& from, const std::string& to);

struct FolderEntry {
    std::string name;    // in the list's code page; "?" for what it lacks
    bool ascii = true;   // the name as stored is plain ASCII
    bool folder = false;
};
// The entries of a folder, "." and ".." left out.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

}  // namespace base
