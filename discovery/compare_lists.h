// Compares the fetched server list with the local list of the previous run
// (or, without one, with the files on disk) and fills the pending map.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/update_state.h"

namespace discovery {

// The update list: the local list of an earlier run has this name in the
// install folder; the server's copy is fetched beside it with "_" appended.

// Empties m_mapPending and m_mapFetched (and lets go of the staged files
// held for them), then adds every server-list entry
// that must be fetched, numbered 0, 1, 2 ... in list order. Shows its progress
// per section on the file progress bar. Returns the bytes to fetch, counting
// an entry of size 0 as 1 byte so that it is not taken for "nothing to do".
uint32_t CompareLists(UpdateState& state);

// The install folder + name can be opened for reading.
bool FileExistsInInstallFolder(const UpdateState& state, const std::string& name);

}  // namespace discovery
