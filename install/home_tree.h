// Nothing found in the home is trusted until the whole tree is the program's.
// Anyone may make the home folder before the updater's first run and fill it:
// entries made then keep their maker as owner (who can grant himself access
// again) and their own DACL; a link made then redirects the elevated writes;
// a hard link to a file elsewhere gets written through.
#pragma once

#include <string>

namespace install {

enum class HomeTreeResult {
    kOwned,       // the home and everything below it are the program's now
    kNoSecurity,  // the volume keeps no security (FAT, exFAT): nothing was changed
    kFailed,      // something could not be put right or removed: see the path
};

// Makes `home` (with or without its trailing backslash) and its tree the
// program's: the root gets the protected descriptor (install/protected_folder.h),
// every folder and file below it the Administrators as owner and only the
// root's entries, inherited; every link below (junction, symbolic link, mount
// point) is removed as a link, never followed; a file with more than one hard
// link loses its name here, and its security (shared with its names
// elsewhere) is left alone. The root itself must be no link. Descriptors are
// set entry by entry, never by the system's propagation walk, and only on
// entries that are not right already. The walk goes on past a failure;
// `failedPath` is then the first entry that could not be put right, else empty.
HomeTreeResult OwnHomeTree(const std::string& home, std::string& failedPath);

}  // namespace install
