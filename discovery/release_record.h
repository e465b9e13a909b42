// The record of the release last installed on this machine, kept in the
// install folder: its signature file and its update list, byte for byte as
// they verified. A run in which no release verifies (the server switched
// off or out of reach) checks the programs it starts against it.
#pragma once

#include <string>

#include "discovery/release_files.h"
#include "discovery/update_state.h"

namespace discovery {


// Keeps the release verified in this run as the record, once its files are
// in place, and the SHA-256 of its signature file as "InstalledRelease".
// Nothing for a build that checks no release.
bool StoreReleaseRecord(const UpdateState& state);

enum class ReleaseRecord {
    kNone,        // no signed release has been installed on this machine ("InstalledRelease" is missing)
    kLoaded,      // the record is the release installed last; `files` holds it
    kUnreadable,  // one has, but the record is missing or is not that release's
};

// The record in `installFolder`, for a build that checks releases. Its
// signature file is taken only when it is byte for byte the one whose
// SHA-256 the machine kept (a value only the elevated updater writes, once
// the release had verified), so no other release's record, however genuine,
// takes its place; its list only when its SHA-256 is the one that signature
// states. Both are read while they are held.
ReleaseRecord LoadReleaseRecord(const std::string& installFolder, bool checksReleases, ReleaseFiles& files);

}  // namespace discovery
