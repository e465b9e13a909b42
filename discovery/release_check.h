// Signed releases, for a program built with root keys: the
// signature file fetched right after the update list and checked before
// anything else is asked for, and every staged file checked against it
// before it may be installed (fetch/release_trust.h). Each refusal is
// thrown as the run's failure, with its status text and error box.
#pragma once

#include <string>

#include "discovery/update_state.h"
#include "fetch/fetch_context.h"
#include "integrity/release_verification.h"

namespace discovery {

inline bool ChecksReleases(const UpdateState& state) { return state.m_builtInRoots.threshold != 0; }
// The trust a run begins with: without a release key every file is taken as
// it stands; with one nothing is admitted until a release has verified.
void BeginTrust(UpdateState& state);

// Fetches and checks the signature of the release in the folder (and for
// the channel) the gateway named against the fetched list, which it reads
// through a handle it keeps in m_hHeldList, and what this machine trusts
// (raised to the build's own floor). On success gives m_trust the release,
// keeps the signature and list bytes and raises the stored release serial,
// release-key serial and root set to the release's. On refusal the list copy
// is deleted.
void VerifyServerRelease(UpdateState& state, fetch::FetchContext& context, const integrity::ReleaseWanted& wanted);
// After the comparison has read the held list: fills m_releaseFiles from it
// and lets it go.
void KeepReleaseFiles(UpdateState& state);

}  // namespace discovery
