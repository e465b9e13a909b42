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
// fetched list, which it reads through a handle it keeps in m_hHeldList. On
// success fills m_mapSignedFiles, keeps the signature and list bytes and
// raises the stored "ReleaseSerial" to the release's serial. On refusal the
// list copy is deleted.
bool VerifyServerRelease(UpdateState& state, const std::string& folder);
// The lowest serial a release may have: the build's own, or the highest this
// machine has accepted, whichever is higher.
uint32_t LowestAcceptedSerial(const UpdateState& state);
// After the comparison has read the held list: fills m_releaseFiles from it
// and lets it go.
void KeepReleaseFiles(UpdateState& state);
// Every pending file must be part of the signed release.
bool PendingFilesAreSigned(const UpdateState& state);
// When the staged file has the signed size and SHA-256, as read through a
// held handle, keeps that handle in m_mapHeldStaged until the file is copied
// from it, and gives true. Silent.
bool HoldIfSigned(UpdateState& state, const ListEntry& entry, const std::string& staged);
// HoldIfSigned, or else the staged file and its marker are deleted so that
// the next run fetches it again, with a refusal.
bool StagedFileIsSigned(UpdateState& state, const ListEntry& entry, const std::string& staged);

}  // namespace discovery
