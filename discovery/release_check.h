// Signed releases, for a program built with the publisher's key: the
// signature file fetched right after the update list and checked before
// anything else is asked for, and every staged file checked against it
// before it may be installed. Each refusal sets the status label and shows
// an error box; the caller then ends discovery with kFailed.
#pragma once

#include <string>

#include "discovery/update_state.h"

namespace discovery {

inline bool ChecksReleases(const UpdateState& state) { return !state.m_strReleaseKey.empty(); }

// Fetches and checks the signature of the release in `folder` against the
// fetched list. On success fills m_mapSignedFiles and raises the stored
// "ReleaseSerial" to the release's serial. On refusal the list copy is
// deleted.
bool VerifyServerRelease(UpdateState& state, const std::string& folder);
// Every pending file must be part of the signed release.
bool PendingFilesAreSigned(const UpdateState& state);
// The staged file must have the signed size and SHA-256; otherwise it and
// its marker are deleted so that the next run fetches it again.
bool StagedFileIsSigned(const UpdateState& state, const ListEntry& entry, const std::string& staged);

}  // namespace discovery
