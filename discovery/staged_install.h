// Putting a staged file in place. For a signed release the file is renamed
// into place through, or else copied from, the handle held since the staged
// file's check (fetch/release_trust.h), so the bytes installed are the bytes
// that were checked, whatever happens to the staged file's name in between.
#pragma once

#include <string>

#include "discovery/update_state.h"

namespace discovery {

// Copies the staged file of `entry` at `staged` over `target` (with the
// retries of CopyFileWithRetry) and deletes the staged file; a signed file
// held by its download's handle is renamed over the target instead when it
// can be. False, with the staged file left, when the copy failed or, for a
// signed release, when no checked handle is held for the entry.
bool InstallStagedFile(UpdateState& state, const release::ListEntry& entry, const std::string& staged,
                       const std::string& target);

}  // namespace discovery
