#include "install/home_tree.h"

#include <windows.h>

#include <cstring>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/unique_handle.h"
#include "install/home_entry.h"
#include "install/owner_privileges.h"
#include "install/protected_folder.h"

namespace install {
namespace {

std::string WithoutTrailingBackslash(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// False when the volume cannot be asked.
bool VolumeKeepsSecurity(const std::string& path, bool& keeps) {
    char volume[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (!::GetVolumePathNameA(path.c_str(), volume, sizeof(volume)) ||
        !::GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return false;
    keeps = (flags & FILE_PERSISTENT_ACLS) != 0;
    return true;
}

// Whether the handle holds the entry the walk named. On Windows every link
// carries the reparse attribute; Wine opens what a Unix symbolic link names
// even when told not to, and only the final path gives it away. Deleting or
// changing such an entry by name would act on what it names.
bool IsNamedEntry(const EntryFacts& facts, const std::string& folderFinal, const std::string& name) {
    return facts.finalPath.empty() || base::EqualsNoCase(facts.finalPath, base::JoinName(folderFinal, name));
}

class TreeWalk {
public:
    explicit TreeWalk(std::string& failedPath) : failed_(failedPath) {}
    void Root(const std::string& root);

private:
    void List(const std::string& folder, const std::string& folderFinal);
    void Entry(const std::string& folder, const std::string& folderFinal, const WIN32_FIND_DATAA& found);
    bool Own(HANDLE entry, HomeEntry kind) const {
        return descriptors_.Has(entry, kind) || descriptors_.Give(entry, kind);
    }
    void Fail(const std::string& path) {
        if (failed_.empty()) failed_ = path;
    }

    HomeDescriptors descriptors_;
    std::string& failed_;
};

void TreeWalk::Root(const std::string& root) {
    std::string parentFinal;
    base::UniqueFile folder = OpenEntry(root, true);
    EntryFacts facts;
    if (!descriptors_.valid() || !folder || !ReadEntryFacts(folder.get(), facts) ||
        !ReadFolderFinalPath(base::FolderPart(root), parentFinal) ||
        !IsNamedEntry(facts, parentFinal, base::FileNamePart(root)) ||
        (facts.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY ||
        !Own(folder.get(), HomeEntry::kRoot))
        return Fail(root);
    List(root, facts.finalPath);
}

void TreeWalk::List(const std::string& folder, const std::string& folderFinal) {
    WIN32_FIND_DATAA found;
    const base::UniqueFind find(::FindFirstFileA(base::JoinName(folder, "*").c_str(), &found));
    if (!find) return Fail(folder);
    do {
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            Entry(folder, folderFinal, found);
    } while (::FindNextFileA(find.get(), &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES) Fail(folder);
}

void TreeWalk::Entry(const std::string& folder, const std::string& folderFinal, const WIN32_FIND_DATAA& found) {
    const std::string path = base::JoinName(folder, found.cFileName);
    const bool listedFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Held until its subtree is done: a folder cannot be swapped while listed.
    base::UniqueFile entry = OpenEntry(path, listedFolder);
    EntryFacts facts;
    if (!entry || !ReadEntryFacts(entry.get(), facts) || !IsNamedEntry(facts, folderFinal, found.cFileName))
        return Fail(path);
    const bool isFolder = (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // The handle is the link itself: the calls below remove the link, not
    // what it names.
    if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        entry.reset();
        if (!(isFolder ? ::RemoveDirectoryA(path.c_str()) : ::DeleteFileA(path.c_str()))) Fail(path);
        return;
    }
    if (isFolder != listedFolder) return Fail(path);
    if (!isFolder && facts.links > 1) {
        entry.reset();
        if (!::DeleteFileA(path.c_str())) Fail(path);
        return;
    }
    if (!Own(entry.get(), isFolder ? HomeEntry::kFolder : HomeEntry::kFile)) return Fail(path);
    if (isFolder) List(path, facts.finalPath);
}

}  // namespace

HomeTreeResult OwnHomeTree(const std::string& home, std::string& failedPath) {
    failedPath.clear();
    const std::string root = WithoutTrailingBackslash(home);
    bool keeps = false;
    if (!VolumeKeepsSecurity(root, keeps)) {
        failedPath = root;
        return HomeTreeResult::kFailed;
    }
    if (!keeps) return HomeTreeResult::kNoSecurity;
    const ScopedOwnerPrivileges privileges;
    TreeWalk(failedPath).Root(root);
    return failedPath.empty() ? HomeTreeResult::kOwned : HomeTreeResult::kFailed;
}

}  // namespace install
