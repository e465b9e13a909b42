// Whether a release comes from the publisher: its signature file checked
// against the publisher's key, the version folder the gateway named, the
// highest serial accepted before and the update list as fetched; and each
// downloaded file against the size and SHA-256 the release states for it.
#pragma once

#include <cstdint>
#include <string>

#include "integrity/public_key.h"
#include "integrity/release_signature.h"

namespace integrity {

enum class ReleaseCheck {
    kVerified,
    kMalformed,     // not a signature file
    kBadSignature,  // not signed with the publisher's key (or no usable key)
    kOtherFolder,   // signed for another version folder
    kOlderSerial,   // older than a release accepted before: a replay
    kListMismatch,  // the update list is not the one that was signed
};

// On kVerified, `manifest` holds the release as signed.
ReleaseCheck VerifyRelease(const std::string& signatureFile, const PublicKey& key, const std::string& folder,
                           uint32_t lowestSerial, const std::string& listBytes, ReleaseManifest& manifest);

// True when the file on disk has exactly the signed size and SHA-256.
bool FileMatches(const std::string& path, const SignedFile& expected);
// The same for an open file, read through its handle from the start.
bool OpenFileMatches(HANDLE file, const SignedFile& expected);

}  // namespace integrity
