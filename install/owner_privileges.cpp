#include "install/owner_privileges.h"

namespace install {

ScopedOwnerPrivileges::ScopedOwnerPrivileges() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    token_.reset(token);
    static const char* const kNames[kCount] = {SE_BACKUP_NAME, SE_RESTORE_NAME, SE_TAKE_OWNERSHIP_NAME};
    Privileges wanted = {0, {}};
    for (const char* name : kNames) {
        if (!::LookupPrivilegeValueA(nullptr, name, &wanted.privileges[wanted.count].Luid)) continue;
        wanted.privileges[wanted.count++].Attributes = SE_PRIVILEGE_ENABLED;
    }
    if (wanted.count == 0) return;
    DWORD size = sizeof(previous_);
    // Succeeds with ERROR_NOT_ALL_ASSIGNED when the token lacks some; what
    // it did enable is in previous_ either way.
    changed_ = ::AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted),
                                       sizeof(wanted), reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), &size) &&
               previous_.count > 0;
}

ScopedOwnerPrivileges::~ScopedOwnerPrivileges() {
    if (changed_)
        ::AdjustTokenPrivileges(token_.get(), FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), 0, nullptr,
                                nullptr);
}

}  // namespace install
