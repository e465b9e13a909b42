// Signed releases, for a program built with root keys: the
// signature file fetched right after the update list and checked before
// anything else is asked for, and every staged file checked against it
// before it may be installed. Each refusal sets the status label and shows
// an error box; the caller then ends discovery with kFailed.
#pragma once

#include <string>

#include "discovery/update_state.h"
#include "integrity/release_verification.h"

namespace discovery {

inline bool ChecksReleases(const UpdateState& state) { return state.m_builtInRoots.threshold != 0; }

// Fetches and checks the signature of the release in the folder (and for
// the channel) the gateway named against the fetched list and what this
// machine trusts. On success fills m_mapSignedFiles and raises the stored
// release serial, release-key serial and root set to the release's. On
// refusal the list copy is deleted.
bool VerifyServerRelease(UpdateState& state, const integrity::ReleaseWanted& wanted);
// Every pending file must be part of the signed release.
bool PendingFilesAreSigned(const UpdateState& state);
// The staged file must have the signed size and SHA-256; otherwise it and
// its marker are deleted so that the next run fetches it again.
bool StagedFileIsSigned(const UpdateState& state, const ListEntry& entry, const std::string& staged);

}  // namespace discovery
