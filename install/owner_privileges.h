// The privileges an administrator needs to take back an entry whose DACL
// shuts administrators out: to open it whatever its DACL says (backup and
// restore, with backup semantics) and to make itself its owner. Enabled on
// the process token for the span of one walk and returned to how they were.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"

namespace install {

class ScopedOwnerPrivileges {
public:
    // A token without them (a process that is not elevated) is no error:
    // the walk then opens what the DACLs let it.
    ScopedOwnerPrivileges();
    ~ScopedOwnerPrivileges();
    ScopedOwnerPrivileges(const ScopedOwnerPrivileges&) = delete;
    ScopedOwnerPrivileges& operator=(const ScopedOwnerPrivileges&) = delete;

private:
    static constexpr DWORD kCount = 3;
    // TOKEN_PRIVILEGES with room for all three.
    struct Privileges {
        DWORD count;
        LUID_AND_ATTRIBUTES privileges[kCount];
    };
    base::UniqueKernelHandle token_;
    Privileges previous_ = {};
    bool changed_ = false;
};

}  // namespace install
