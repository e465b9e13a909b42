// The comparison of a repair run with a release key: every file of the
// signed release is read on disk and held to its signed size and SHA-256
// (repair/installed_check.h), not to the sampled fingerprint, while the
// window shows the check as it shows a download: the file, its bytes, the
// run's bytes, the rate and the time left.
#pragma once

#include <vector>

#include "discovery/update_state.h"
#include "release/list_entry.h"

namespace discovery {

// Per entry, in order: its installed file must be fetched. An entry the
// release does not sign is compared with the disk as without a key.
std::vector<bool> FindDamagedFiles(UpdateState& state, const std::vector<release::ListEntry>& entries);

}  // namespace discovery
