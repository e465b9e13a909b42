// The two decisions whether a list entry's file must be fetched.
#pragma once

#include <string>

#include "release/list_entry.h"

namespace discovery {

// Against the local list. `local.localPath` holds the file's full path. A
// server revision decides alone: newer than the local one, or the file is
// missing or empty. Without one, size, fingerprint and version of both lists
// must agree and the file must match the fingerprint.
bool NeedsUpdateByList(const release::ListEntry& server, const release::ListEntry& local);
// Against the file at `path`: its size, product version and fingerprint.
bool NeedsUpdateOnDisk(const release::ListEntry& entry, const std::string& path);

}  // namespace discovery
