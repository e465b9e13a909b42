#include "base/link_guard.h"

#include <algorithm>
#include <vector>

#include "base/ansi_text.h"

namespace base {
namespace {

using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
constexpr DWORD kNormalizedDosName = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS

// Looked up at run time: systems before Vista lack it, and there the
// attributes alone tell a link.
FinalPathFunction FinalPathOfHandle() {
    static const FinalPathFunction function = reinterpret_cast<FinalPathFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    return function;
}

// An entry of a folder, opened as itself: a link is not followed (where the
// system can help it), and no one may delete or rename it while it is open.
UniqueFile OpenEntry(const std::string& path, DWORD access, DWORD share) {
    return UniqueFile(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The length of the root of an absolute path: "C:\" or "\\server\share\".
size_t RootLength(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
    if (path.compare(0, 2, "\\\\") != 0) return 0;
    size_t separators = 0;
    for (const char* p = path.c_str() + 2; *p; p = ::CharNextA(p))
        if (*p == '\\' && ++separators == 2) return static_cast<size_t>(p - path.c_str()) + 1;
    return 0;
}

std::string FullPathOf(const std::string& path) {
    char buffer[1024];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length == 0 || length >= sizeof buffer ? path : std::string(buffer, length);
}

// The file behind `file` is the one its name below `folders` stands for: no
// link, no further hard link, and found where the name says.
bool IsFileOfItsOwn(HANDLE file, const FoldersOnTheWay& folders, const std::string& leaf) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info)) return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (info.nNumberOfLinks > 1) return false;
    std::string name;
    if (!FinalNameOf(file, name)) return false;
    return name.empty() || EqualsNoCase(name, JoinName(folders.finalName(), leaf));
}

// Puts a new empty file of its own in the place of the name `full`: an empty
// file made beside it is renamed over it, which replaces the name itself. A
// deletion would not do: Wine deletes the file a symbolic link leads to.
bool ReplaceWithNewFile(const std::string& full) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string fresh = full + ".$nl" + std::to_string(attempt) + "$";
        UniqueFile created(::CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                         nullptr));
        if (!created) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            return false;
        }
        created.reset();
        if (::MoveFileExA(fresh.c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        const DWORD error = ::GetLastError();
        ::DeleteFileA(fresh.c_str());
        ::SetLastError(error);
        return false;
    }
    return false;
}

// The name at `full`, when there is one and it is a link or one of several
// names of a file, is made a name of a new empty file. False when it could
// not be (a link to a folder cannot be replaced by a file).
bool OwnNameAt(const std::string& full, const FoldersOnTheWay& folders) {
    UniqueFile existing = OpenEntry(full, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!existing || IsFileOfItsOwn(existing.get(), folders, FileNamePart(full))) return true;
    existing.reset();
    if (ReplaceWithNewFile(full)) return true;
    ::SetLastError(kLinkOnTheWay);
    return false;
}

}  // namespace

bool FinalNameOf(HANDLE handle, std::string& name) {
    name.clear();
    const FinalPathFunction function = FinalPathOfHandle();
    if (!function) return true;
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = function(handle, buffer.data(), static_cast<DWORD>(buffer.size()), kNormalizedDosName);
        if (length == 0) return false;
        if (length < buffer.size()) {
            name.assign(buffer.data(), length);
            break;
        }
        buffer.resize(length + 1);
    }
    if (name.compare(0, 8, "\\\\?\\UNC\\") == 0)
        name = "\\\\" + name.substr(8);
    else if (name.compare(0, 4, "\\\\?\\") == 0)
        name = name.substr(4);
    return true;
}

std::string JoinName(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

FoldersOnTheWay::FoldersOnTheWay(const std::string& folderPath, Make make) {
    std::string folder = FullPathOf(folderPath);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    const size_t rootLength = RootLength(folder);
    const std::string root = folder.substr(0, rootLength);
    UniqueFile rootHandle;
    if (rootLength != 0)
        rootHandle = OpenEntry(root, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!rootHandle || !FinalNameOf(rootHandle.get(), finalName_)) {
        failure_ = rootLength == 0 ? ERROR_BAD_PATHNAME : ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
        failedFolder_ = root.empty() ? folderPath : root;
        return;
    }
    if (finalName_.empty()) finalName_ = root;
    const char* start = folder.c_str() + rootLength;
    for (const char* p = start; *p; p = ::CharNextA(p)) {
        if (*p != '\\') continue;
        const std::string name(start, p);
        if (!name.empty() && !Enter(std::string(folder.c_str(), p), name, make)) return;
        start = p + 1;
    }
}

bool FoldersOnTheWay::Enter(const std::string& folder, const std::string& name, Make make) {
    // Sharing holds only for an opening that asks for data access: listing
    // keeps the folder from being renamed away or deleted meanwhile.
    const DWORD access = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    UniqueFile handle = OpenEntry(folder, access, share);
    if (!handle && make == Make::kMissing) {
        const DWORD error = ::GetLastError();
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            (::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS))
            handle = OpenEntry(folder, access, share);
    }
    BY_HANDLE_FILE_INFORMATION info;
    std::string finalName;
    DWORD failure = 0;
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info))
        failure = ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
    else if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        failure = ERROR_DIRECTORY;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        failure = kLinkOnTheWay;
    else if (!FinalNameOf(handle.get(), finalName))
        failure = ::GetLastError() ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
    else if (!finalName.empty() && !EqualsNoCase(finalName, JoinName(finalName_, name)))
        failure = kLinkOnTheWay;
    if (failure) {
        failure_ = failure;
        failedFolder_ = folder;
        ::SetLastError(failure);
        return false;
    }
    finalName_ = finalName.empty() ? folder : finalName;
    held_.push_back(std::move(handle));
    return true;
}

UniqueFile OpenForWriting(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    const std::string full = FullPathOf(path);
    const std::string leaf = FileNamePart(full);
    const FoldersOnTheWay folders(FolderPart(full), FoldersOnTheWay::Make::kNone);
    if (!folders.ok()) {
        ::SetLastError(folders.failure());
        return UniqueFile();
    }
    // A link or a further name of a file elsewhere: the name gets a file of
    // its own, the file it led to is left as it was.
    if (!OwnNameAt(full, folders)) return UniqueFile();
    const bool empty = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    const DWORD opening = disposition == CREATE_ALWAYS ? OPEN_ALWAYS
                          : disposition == TRUNCATE_EXISTING ? OPEN_EXISTING
                                                             : disposition;
    UniqueFile file(::CreateFileA(full.c_str(), access, share, nullptr, opening,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return file;
    const DWORD opened = ::GetLastError();
    // Swapped for a link or linked since the look above: nothing written.
    if (!IsFileOfItsOwn(file.get(), folders, leaf)) {
        file.reset();
        ::SetLastError(kLinkOnTheWay);
        return file;
    }
    if (empty) {
        LARGE_INTEGER start = {};
        if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.get())) {
            const DWORD error = ::GetLastError();
            file.reset();
            ::SetLastError(error);
            return file;
        }
    }
    ::SetLastError(opened);
    return file;
}

void ClearForReplacing(const std::string& path) {
    const std::string full = FullPathOf(path);
    const FoldersOnTheWay folders(FolderPart(full), FoldersOnTheWay::Make::kNone);
    if (!folders.ok()) return;
    UniqueFile existing = OpenEntry(full, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    // A link's or another name's attributes belong to a file elsewhere; the
    // move replaces such a name as it stands.
    if (!existing || !IsFileOfItsOwn(existing.get(), folders, FileNamePart(full))) return;
    existing.reset();
    ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool DeleteName(const std::string& path) {
    const std::string full = FullPathOf(path);
    const FoldersOnTheWay folders(FolderPart(full), FoldersOnTheWay::Make::kNone);
    if (!folders.ok()) {
        ::SetLastError(folders.failure());
        return false;
    }
    return OwnNameAt(full, folders) && ::DeleteFileA(full.c_str()) != FALSE;
}

bool MoveName(const std::string& from, const std::string& to, DWORD flags) {
    const std::string source = FullPathOf(from), target = FullPathOf(to);
    const FoldersOnTheWay sourceFolders(FolderPart(source), FoldersOnTheWay::Make::kNone);
    const FoldersOnTheWay targetFolders(FolderPart(target), FoldersOnTheWay::Make::kNone);
    for (const FoldersOnTheWay* folders : {&sourceFolders, &targetFolders}) {
        if (folders->ok()) continue;
        ::SetLastError(folders->failure());
        return false;
    }
    return ::MoveFileExA(source.c_str(), target.c_str(), flags) != FALSE;
}

bool RenameOpenFile(HANDLE file, const std::string& to) {
    // SetFileInformationByHandle and its FileRenameInfo record, as Vista
    // defines them (the headers show them to Vista builds only).
    using SetInformationFunction = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    constexpr int kFileRenameInfo = 3;
    struct RenameInfo {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        DWORD fileNameLength;  // in bytes
        WCHAR fileName[1];
    };
    static const auto setInformation = reinterpret_cast<SetInformationFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    if (!setInformation) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    const std::string target = FullPathOf(to);
    const FoldersOnTheWay folders(FolderPart(target), FoldersOnTheWay::Make::kNone);
    if (!folders.ok()) {
        ::SetLastError(folders.failure());
        return false;
    }
    const int length = ::MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, nullptr, 0);
    if (length <= 1) return false;
    std::vector<WCHAR> wide(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide.data(), length);
    const size_t nameBytes = static_cast<size_t>(length - 1) * sizeof(WCHAR);
    std::vector<char> buffer(sizeof(RenameInfo) + nameBytes, '\0');
    auto* rename = reinterpret_cast<RenameInfo*>(buffer.data());
    rename->replaceIfExists = TRUE;
    rename->rootDirectory = nullptr;
    rename->fileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(wide.begin(), wide.end() - 1, rename->fileName);
    return setInformation(file, kFileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

bool MakeFolders(const std::string& folder, std::string* failedFolder) {
    const FoldersOnTheWay folders(folder, FoldersOnTheWay::Make::kMissing);
    if (folders.ok()) return true;
    if (failedFolder) *failedFolder = folders.failedFolder();
    ::SetLastError(folders.failure());
    return false;
}

}  // namespace base
