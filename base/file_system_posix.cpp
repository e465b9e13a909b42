// The file calls on Linux. A path arrives in CP949, like every text of the
// tool, and reaches the file system as UTF-8; a folder's names go the other
// way, and a name with no CP949 form shows as "?" and counts as not ASCII,
// which the release's names must be.
#include "base/file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/code_page.h"

namespace base {
namespace {

thread_local std::string lastError;

bool Fail(const char* reason = nullptr) {
    lastError = reason ? reason : std::strerror(errno);
    return false;
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// The path as the file system names it; false (EILSEQ) when it has none.
bool NativeName(const std::string& path, std::string& native) {
    native = IsAscii(path) ? path : AnsiToUtf8(path);
    if (!native.empty() || path.empty()) return true;
    errno = EILSEQ;
    return false;
}

// A file name in the list's code page, every character CP949 lacks (or
// bytes that are no UTF-8) shown as one "?".
std::string NameForList(const std::string& utf8) {
    if (IsAscii(utf8)) return utf8;
    const std::string whole = Utf8ToAnsi(utf8);
    if (!whole.empty()) return whole;
    std::string shown;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t length = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 1;
        for (size_t k = 1; k < length; ++k)
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) length = 1;
        const std::string one = length == 1 && c < 0x80 ? utf8.substr(i, 1) : Utf8ToAnsi(utf8.substr(i, length));
        shown += one.empty() ? "?" : one;
        i += length;
    }
    return shown;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& relative) { return folder + kPathSeparator + relative; }

bool SamePath(const std::string& a, const std::string& b) { return a == b; }

std::string LastFileErrorText() { return lastError; }

// Opened without blocking, so that a pipe or device in the folder cannot
// hang the tool; only an ordinary file is read.
ReadingFile::ReadingFile(const std::string& path, Sharing, bool sequential) : fd_(-1) {
    std::string native;
    if (!NativeName(path, native)) {
        Fail();
        return;
    }
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        found_ = errno != ENOENT;
        Fail();
        return;
    }
    struct stat st;
    const bool examined = ::fstat(fd, &st) == 0;
    if (!examined || !S_ISREG(st.st_mode)) {
        Fail(!examined ? nullptr : S_ISDIR(st.st_mode) ? "it is a folder" : "it is not an ordinary file");
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (sequential) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    fd_ = fd;
}

ReadingFile::~ReadingFile() {
    if (ok()) ::close(fd_);
}

bool ReadingFile::ok() const { return fd_ >= 0; }

bool ReadingFile::Size(uint64_t& size) const {
    struct stat st;
    if (!ok() || ::fstat(fd_, &st) != 0) return Fail();
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool ReadingFile::Read(void* to, size_t length, size_t& got) {
    got = 0;
    if (!ok()) return Fail("the file is not open");
    for (;;) {
        const ssize_t n = ::read(fd_, to, length);
        if (n >= 0) {
            got = static_cast<size_t>(n);
            return true;
        }
        if (errno != EINTR) return Fail();
    }
}

bool ReadingFile::Seek(uint64_t offset) {
    return ok() && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

uint64_t FileSizeOf(const std::string& path) {
    std::string native;
    struct stat st;
    if (!NativeName(path, native) || ::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool PathExists(const std::string& path) {
    std::string native;
    struct stat st;
    return NativeName(path, native) && ::lstat(native.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    std::string native;
    struct stat st;
    return NativeName(path, native) && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// As Windows does it: by the text alone, "." and ".." resolved without
// asking the file system, links left as they are.
bool AbsolutePath(const std::string& path, std::string& absolute) {
    if (path.empty()) return false;
    std::string whole = path;
    if (path[0] != '/') {
        std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), std::free);
        if (!cwd) return false;
        const std::string folder = IsAscii(cwd.get()) ? std::string(cwd.get()) : Utf8ToAnsi(cwd.get());
        if (folder.empty()) return false;
        whole = folder + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= whole.size()) {
        const size_t end = std::min(whole.find('/', start), whole.size());
        const std::string part = whole.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    absolute.clear();
    for (const std::string& part : parts) absolute += "/" + part;
    if (absolute.empty()) absolute = "/";
    return true;
}

bool DeleteIfPresent(const std::string& path) {
    std::string native;
    if (!NativeName(path, native)) return Fail();
    return ::unlink(native.c_str()) == 0 || errno == ENOENT || Fail();
}

namespace {

WriteResult WriteCreated(const std::string& path, const std::string& bytes, int creation, mode_t mode) {
    std::string native;
    if (!NativeName(path, native)) return Fail(), WriteResult::kNotCreated;
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | creation, mode);
    if (fd < 0) return Fail(), WriteResult::kNotCreated;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool whole = written == bytes.size() && ::fsync(fd) == 0;
    if (!whole) Fail();
    ::close(fd);
    return whole ? WriteResult::kWritten : WriteResult::kNotWritten;
}

}  // namespace

// A link at the temporary name is not followed: the bytes go to a file of
// the tool's own.
WriteResult WriteNewFile(const std::string& path, const std::string& bytes) { return WriteCreated(path, bytes, O_TRUNC, 0666); }

WriteResult WriteFreshFile(const std::string& path, const std::string& bytes) { return WriteCreated(path, bytes, O_EXCL, 0600); }

// The folder is synced too, so the new name is on the disk when this returns.
bool ReplaceWith(const std::string& from, const std::string& to) {
    std::string nativeFrom, nativeTo;
    if (!NativeName(from, nativeFrom) || !NativeName(to, nativeTo)) return Fail();
    if (::rename(nativeFrom.c_str(), nativeTo.c_str()) != 0) return Fail();
    const size_t slash = nativeTo.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : nativeTo.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    std::string native;
    if (!NativeName(folder, native)) return Fail();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(native.c_str()));
    if (!dir) return Fail();
    while (const dirent* found = ::readdir(dir.get())) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        FolderEntry entry;
        entry.ascii = IsAscii(name);
        entry.name = NameForList(name);
        struct stat st;
        entry.folder = ::fstatat(::dirfd(dir.get()), found->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace base
