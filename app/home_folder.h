// Where the updater must run from: a folder named ARKENFEL in the first
// element of its own path (for a drive path, the drive's root).
#pragma once

#include <string>

namespace app {

extern const char* const kHomeFolderName;   // "ARKENFEL"
extern const char* const kRelocatedName;    // "Arkenfel_Update.exe"

// True when the executable lies directly in <first element>\ARKENFEL\, names
// compared without regard to case. Its own file name is never compared with
// the relocated name.
bool IsInPlace(const std::string& modulePath);
// "<first element>\ARKENFEL\" for the given executable path.
std::string HomeFolderFor(const std::string& modulePath);

}  // namespace app
