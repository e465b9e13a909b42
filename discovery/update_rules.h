// The decision whether a list entry's file must be fetched, against the local
// list of an earlier run (against the disk alone: release/entry_on_disk.h).
#pragma once

#include "release/list_entry.h"

namespace discovery {

// `local.localPath` holds the file's full path. A server revision decides
// alone: newer than the local one, or the file is missing or empty. Without
// one, size, fingerprint and version of both lists must agree and the file
// must match the fingerprint.
bool NeedsUpdateByList(const release::ListEntry& server, const release::ListEntry& local);

}  // namespace discovery
