// Whether a release comes from the publisher: the outcomes of the check of
// a signature file (trusted_release.h does it), the checks of a release
// whose signature held against the version folder the gateway named, the
// highest serial accepted before and the update list as fetched; and each
// downloaded file against the size and SHA-256 the release states for it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "integrity/release_signature.h"

namespace integrity {

enum class ReleaseCheck {
    kVerified,
    kMalformed,         // not a signature file
    kBadSignature,      // not signed with a key it trusts (or no usable key)
    kOtherFolder,       // signed for another version folder
    kOlderSerial,       // older than a release accepted before: a replay
    kListMismatch,      // the update list is not the one that was signed
    kChainTooLong,      // more root statements than a client follows
    kBadRootStatement,  // a new root set not signed by k current and k new roots
    kRootsNotReached,   // the roots do not lead to the root set this machine reached
    kUncertifiedKey,    // the release key is not certified by k roots
    kRevokedKey,        // the release key's serial is below one accepted before
    kOtherChannel,      // published for other channels than the one chosen
};

// What the run chose from the gateway: the version folder, and the key of
// the gateway line that named it (the channel; empty for the plain line).
struct ReleaseWanted {
    std::string folder;
    std::string channel;
};

// Checks of a release whose signature held. A release that names channels
// is valid only for those.
ReleaseCheck CheckSignedRelease(const ReleaseManifest& manifest, const ReleaseWanted& wanted, uint32_t lowestSerial,
                                const std::string& listBytes);

// True when the file on disk has exactly the signed size and SHA-256.
bool FileMatches(const std::string& path, const SignedFile& expected);
// The same for an open file, read through its handle from the start.
bool OpenFileMatches(HANDLE file, const SignedFile& expected);

}  // namespace integrity
