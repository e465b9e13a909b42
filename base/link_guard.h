// Writing, creating, renaming and deleting without following a link. The
// updater writes with administrator rights into a folder that others may
// have prepared before its first run: a folder on the way that is a link
// (junction, symbolic link, mount point) would carry the write elsewhere,
// and a name that is one more hard link of a file elsewhere would be written
// through. Every writer of the updater and its helper goes through here.
//
// A folder on the way is checked by a handle opened on it without following
// it: it must not be a reparse point, and the system's final name of it must
// be its parent's final name and its own (under Wine, which follows symbolic
// links even when asked not to, only the final name tells). The folders stay
// open without delete sharing until the file is open (or moved, or deleted),
// so none can be renamed away and swapped for a link in between.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/unique_handle.h"

namespace base {

// The error a refused write leaves in GetLastError: a link on the way (the
// system's "the file cannot be accessed by the system").
constexpr DWORD kLinkOnTheWay = ERROR_CANT_ACCESS_FILE;

class FoldersOnTheWay {
public:
    enum class Make { kNone, kMissing };
    // Opens and checks every folder from the drive's root to `folder`
    // (a folder path, with or without its trailing "\"), making the missing
    // ones when asked.
    FoldersOnTheWay(const std::string& folder, Make make);

    bool ok() const { return failure_ == 0; }
    // kLinkOnTheWay for a link, else the system's error.
    DWORD failure() const { return failure_; }
    // The folder that failed, as the path names it.
    const std::string& failedFolder() const { return failedFolder_; }
    // The system's final name of the last folder, without "\\?\".
    const std::string& finalName() const { return finalName_; }

private:
    bool Enter(const std::string& folder, const std::string& name, Make make);

    std::vector<UniqueFile> held_;
    std::string finalName_;
    std::string failedFolder_;
    DWORD failure_ = 0;
};

// The system's final name of an open file or folder, without "\\?\" (a
// network path as "\\server\share\..."): under Wine the only sign of a
// symbolic link. Empty where the system cannot say (before Vista); false
// when it cannot be read.
bool FinalNameOf(HANDLE handle, std::string& name);
// `name` in `folder`, one backslash between them.
std::string JoinName(const std::string& folder, const std::string& name);

// Opens `path` for writing as a file of its own: the folders on the way are
// checked (none is made), and an existing name that is a link, or one of
// several hard links of a file, is first made the name of a new empty file
// (a new file is renamed over it), so that what is written lands there and
// the file the name led to keeps its bytes. CREATE_ALWAYS and TRUNCATE_EXISTING empty the file
// only after the opened file was found to be that file. Invalid, with
// GetLastError, when the file cannot be opened so.
UniqueFile OpenForWriting(const std::string& path, DWORD access, DWORD share, DWORD disposition);
// Readies the name `path` to be replaced by a move: a file of its own loses
// its read-only attribute; a link or a further hard link is left for the
// move to replace as a name. Nothing outside is touched.
void ClearForReplacing(const std::string& path);
// Deletes the name `path` below checked folders; a link or a further hard
// link is made a new file's name first, so only the name goes.
bool DeleteName(const std::string& path);
// Renames `from` to `to` (MoveFileExA `flags`); a name at `to` is replaced,
// never written through; both folders are checked.
bool MoveName(const std::string& from, const std::string& to, DWORD flags);
// Renames the open file (opened with DELETE access) over the name `to`
// through that very handle, which keeps holding it: a name at `to` is
// replaced, never written through; its folders are checked. False, with
// GetLastError, where the system lacks the call (before Vista) or the
// rename fails.
bool RenameOpenFile(HANDLE file, const std::string& to);
// Makes the missing folders of `folder`, every folder on the way checked.
// False with the folder that failed in `failedFolder` and the error in
// GetLastError (kLinkOnTheWay for a link).
bool MakeFolders(const std::string& folder, std::string* failedFolder = nullptr);

}  // namespace base
