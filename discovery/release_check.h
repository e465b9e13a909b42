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
// the channel) the gateway named against the fetched list, which it reads
// through a handle it keeps in m_hHeldList, and what this machine trusts
// (raised to the build's own floor). On success fills m_mapSignedFiles,
// keeps the signature and list bytes and raises the stored release serial,
// release-key serial and root set to the release's. On refusal the list copy
// is deleted.
bool VerifyServerRelease(UpdateState& state, const integrity::ReleaseWanted& wanted);
// After the comparison has read the held list: fills m_releaseFiles from it
// and lets it go.
void KeepReleaseFiles(UpdateState& state);
// Every pending file must be part of the signed release.
bool PendingFilesAreSigned(const UpdateState& state);
// When the staged file has the signed size and SHA-256, as read through a
// held handle, keeps that handle in m_mapHeldStaged until the file is copied
// from it, and gives true. Silent.
bool HoldIfSigned(UpdateState& state, const release::ListEntry& entry, const std::string& staged);
// HoldIfSigned, or else the staged file and its marker are deleted so that
// the next run fetches it again, with a refusal.
bool StagedFileIsSigned(UpdateState& state, const release::ListEntry& entry, const std::string& staged);

}  // namespace discovery
