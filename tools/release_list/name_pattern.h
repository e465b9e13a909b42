// Operator patterns that pick files of a release by their server-side name.
#pragma once

#include <string>

namespace release_list {

// Case-insensitive. "*" matches any run of characters except "/", "?" one
// character except "/". A pattern without "/" is matched against the file
// name alone (so "*.dll" means every DLL in any folder); a pattern with "/"
// against the whole name. A pattern that ends in "/", or that names a folder
// of the release without wildcards, matches everything below that folder.
bool MatchesPattern(const std::string& pattern, const std::string& remoteName);

}  // namespace release_list
