// The second half of a discovery run, after the comparison has filled
// m_mapPending: the self-update restriction, the running-file check and the
// download loop.
#pragma once

#include "base/split_string.h"
#include "discovery/update_state.h"

namespace discovery {

// When the pending files include the updater's own files (the skin file or
// the running executable at the top of the install folder), cuts the pending
// map down to those, recounts files and bytes and sets m_bSelfUpdate;
// otherwise leaves the map as it is. m_nRemainingBytes = m_nTotalBytes after.
void RestrictToSelfFiles(UpdateState& state);
// Full paths of the pending files except the running updater, in index order.
base::StringList PendingFilePaths(const UpdateState& state);
// Fetches every pending file into its staged name, reusing a staged file
// that is already complete and current. 1 when all are staged; -1 at the
// first failed transfer (the files staged before it stay in m_mapFetched).
// For a signed release every staged file, fetched or reused, must match its
// signed size and SHA-256, or the run fails there.
int DownloadPendingFiles(UpdateState& state);

}  // namespace discovery
