// Symbolic links as a user of the machine makes them under Wine: a Unix
// symbolic link below the prefix's drive, which Wine follows as a link.
// (Wine's own CreateSymbolicLinkA reports success and makes nothing.)
#pragma once

#include <string>

namespace testenv {

// Makes `link` a symbolic link to `target` (both Windows paths) with the
// host's ln. False when it could not.
bool MakeUnixLink(const std::string& target, const std::string& link);
// Removes the link itself with the host's rm (Wine's own calls would act on
// what it leads to). False when it is still there.
bool RemoveUnixLink(const std::string& link);

}  // namespace testenv
