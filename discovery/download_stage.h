// The second half of a discovery run, after the comparison has filled
// m_mapPending: the self-update restriction, the running-file check and the
// plan handed to the fetch room.
#pragma once

#include "base/split_string.h"
#include "discovery/update_state.h"
#include "fetch/fetch_context.h"

namespace discovery {

// When the pending files include the updater's own files (the skin file or
// the running executable at the top of the install folder), cuts the pending
// map down to those, recounts files and bytes and sets m_bSelfUpdate;
// otherwise leaves the map as it is. The byte count starts over after.
void RestrictToSelfFiles(UpdateState& state);
// Full paths of the pending files except the running updater, in index order.
base::StringList PendingFilePaths(const UpdateState& state);
// Before any file is asked for: the drives have room for what the pending
// files will write (fetch/disk_space.h), or the run's failure is thrown with
// a box that says how much is needed and how much is free.
void CheckRoomForPendingFiles(const UpdateState& state);
// Fetches every pending file into its staged name (fetch/planned_files.h).
// Throws the run's failure at the first file that could not be staged (the
// files staged before it stay in m_mapFetched).
void DownloadPendingFiles(UpdateState& state, fetch::FetchContext& context);

}  // namespace discovery
