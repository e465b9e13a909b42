// The updater's home folder is its own, the way the system's program folder
// is: owned by the Administrators group, with a protected DACL (nothing
// inherited from the drive root, whose DACL lets every authenticated user
// create and change files) that gives SYSTEM and Administrators full control
// and Users read and execute, inherited by every file and folder inside.
#pragma once

#include <string>

namespace transfer {

// The descriptor in SDDL: owner and DACL.
extern const char kProtectedFolderSddl[];

// Gives the folder that owner and DACL unless it has them already (setting a
// DACL makes the system visit every file below the folder). True when the
// folder has them now, as far as the system says.
bool ProtectFolder(const std::string& folder);
// The folder's owner and DACL, read back, are exactly those.
bool IsProtectedFolder(const std::string& folder);

}  // namespace transfer
