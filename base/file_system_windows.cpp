#include "base/file_system.h"

#include <windows.h>
#include <sys/stat.h>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "base/system_error.h"
#include "base/unique_handle.h"

namespace base {
namespace {

std::wstring Widen(const std::string& ansi) {
    const std::u16string wide = AnsiToUtf16(ansi);
    return std::wstring(wide.begin(), wide.end());
}

// Wine shows characters that DOS names cannot hold ("|", ":", "*" ...) as
// U+F000 plus the character; they are turned back so a message names the
// real character. Characters the ANSI code page lacks become "?", for the
// message only: such a name is not plain ASCII and so refused anyway.
FolderEntry EntryOf(const WIN32_FIND_DATAW& data) {
    FolderEntry entry;
    std::wstring text(data.cFileName);
    for (wchar_t& c : text) {
        if (c > 0xF000 && c < 0xF080) c = static_cast<wchar_t>(c - 0xF000);
        if (c >= 0x80) entry.ascii = false;
    }
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    entry.name.assign(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &entry.name[0], n, nullptr, nullptr);
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return entry;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& relative) {
    return folder + kPathSeparator + ReplaceAll(relative, "/", "\\");
}

bool SamePath(const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }

std::string LastFileErrorText() { return SystemErrorText(::GetLastError()); }

ReadingFile::ReadingFile(const std::string& path, Sharing sharing, bool sequential)
    : handle_(::CreateFileA(path.c_str(), GENERIC_READ,
                            sharing == Sharing::kReaders ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0, nullptr)) {
    if (!ok()) found_ = ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

ReadingFile::~ReadingFile() {
    if (ok()) ::CloseHandle(handle_);
}

bool ReadingFile::ok() const { return handle_ != INVALID_HANDLE_VALUE; }

bool ReadingFile::Size(uint64_t& size) const {
    LARGE_INTEGER value = {};
    if (!ok() || !::GetFileSizeEx(handle_, &value)) return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool ReadingFile::Read(void* to, size_t length, size_t& got) {
    DWORD n = 0;
    got = 0;
    if (!ok() || !::ReadFile(handle_, to, static_cast<DWORD>(length), &n, nullptr)) return false;
    got = n;
    return true;
}

bool ReadingFile::Seek(uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ok() && ::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN);
}

uint64_t FileSizeOf(const std::string& path) {
    struct _stat64 st;
    if (::_stat64(path.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool PathExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool AbsolutePath(const std::string& path, std::string& absolute) {
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    absolute.assign(buffer, length);
    while (absolute.size() > 3 && absolute.back() == '\\') absolute.pop_back();
    return true;
}

bool DeleteIfPresent(const std::string& path) {
    return ::DeleteFileA(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

namespace {

WriteResult WriteCreated(const std::string& path, const std::string& bytes, DWORD creation) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return WriteResult::kNotCreated;
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get()))
        return WriteResult::kNotWritten;
    return WriteResult::kWritten;
}

}  // namespace

WriteResult WriteNewFile(const std::string& path, const std::string& bytes) { return WriteCreated(path, bytes, CREATE_ALWAYS); }

WriteResult WriteFreshFile(const std::string& path, const std::string& bytes) { return WriteCreated(path, bytes, CREATE_NEW); }

bool ReplaceWith(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW data = {};
    UniqueFind find(::FindFirstFileW((Widen(folder) + L"\\*").c_str(), &data));
    if (!find) return false;
    do {
        FolderEntry entry = EntryOf(data);
        if (entry.name != "." && entry.name != "..") entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.get(), &data));
    return true;
}

}  // namespace base
