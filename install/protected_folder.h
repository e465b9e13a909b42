// The updater's home folder is its own, the way the system's program folder
// is: owned by the Administrators group, with a protected DACL (nothing
// inherited from the drive root, whose DACL lets every authenticated user
// create and change files) that gives SYSTEM and Administrators full control
// and Users read and execute, inherited by every file and folder inside.
#pragma once

#include <windows.h>

#include <vector>

#include "base/unique_handle.h"

namespace install {

// The home folder's descriptor in SDDL: owner and DACL.
extern const char kProtectedFolderSddl[];

// What an entry of the home carries: the root that descriptor; a folder or a
// file below it the same owner and only the root's entries, inherited (a
// folder's still inheritable, a file's not), as the system itself would
// give them.
enum class HomeEntry { kRoot, kFolder, kFile };

// The three descriptors, made once for a walk of the home.
class HomeDescriptors {
public:
    HomeDescriptors();
    HomeDescriptors(const HomeDescriptors&) = delete;
    HomeDescriptors& operator=(const HomeDescriptors&) = delete;

    // False when the system could not make them.
    bool valid() const { return valid_; }
    // The entry's owner and DACL, read through the handle, are exactly its kind's.
    bool Has(HANDLE entry, HomeEntry kind) const;
    // Sets its kind's owner and DACL through the handle, as they are: the
    // system walks nothing below the entry.
    bool Give(HANDLE entry, HomeEntry kind) const;

private:
    // The root's comes from the SDDL text; the two inherited forms are
    // absolute descriptors pointing into their own ACL buffers.
    struct Inherited {
        std::vector<char> acl;
        SECURITY_DESCRIPTOR descriptor;
    };
    bool Inherit(BYTE aceFlags, Inherited& form);
    PSECURITY_DESCRIPTOR Of(HomeEntry kind) const;
    PACL DaclOf(HomeEntry kind) const;

    base::UniqueLocalMemory root_;
    PSID owner_ = nullptr;
    PACL rootDacl_ = nullptr;
    Inherited folder_ = {}, file_ = {};
    bool valid_ = false;
};

}  // namespace install
