// The record of the release last installed on this machine, kept in the
// install folder: its signature file and its update list, byte for byte as
// they verified. A run in which no release verifies (the server switched
// off or out of reach) checks the programs it starts against it.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/release_files.h"
#include "discovery/update_state.h"

namespace discovery {

extern const char kRecordSignatureName[];  // "Arkenfel_Release.sig"
extern const char kRecordListName[];       // "Arkenfel_Release.lst"

// Keeps the release verified in this run as the record, once its files are
// in place, and its serial as "InstalledSerial". Nothing for a build that
// checks no release.
bool StoreReleaseRecord(const UpdateState& state);

enum class ReleaseRecord {
    kNone,        // no signed release has been installed on this machine ("InstalledSerial" is 0)
    kLoaded,      // the record is the publisher's and of that serial; `files` holds it
    kUnreadable,  // one has, but the record is missing, does not hold or is another release's
};

// The record in `installFolder`, checked against the publisher's key (file
// text, as compiled in) and the lowest serial the build accepts; the list is
// taken only when its SHA-256 is the one the signature states, and read
// while it is held.
ReleaseRecord LoadReleaseRecord(const std::string& installFolder, const std::string& releaseKey,
                                uint32_t lowestSerial, ReleaseFiles& files);

}  // namespace discovery
