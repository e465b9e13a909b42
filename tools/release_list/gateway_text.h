// The gateway file names the version folder of the current release: a plain
// line for every updater, "key=folder" lines for updaters started with the
// matching option.
#pragma once

#include <string>

#include "base/split_string.h"

namespace release_list {

// `existing` with every key of `keys` (the empty key is the plain line) set
// to `version`. The first line of a key is replaced in place, later lines of
// it, which the updater never reads, are dropped, and keys not there yet are
// appended; other lines are kept as they are. Throws ReleaseListError when
// `existing` has a line break other than CR LF, which the updater would not
// see as one.
std::string UpdateGatewayText(const std::string& existing, const base::StringList& keys, const std::string& version);

}  // namespace release_list
