// The release signature file that the tool publishes beside the list when
// it is given the publisher's private key.
#pragma once

#include <cstdint>
#include <string>

#include "integrity/release_signature.h"
#include "tools/release_list/file_digests.h"
#include "tools/release_list/release_plan.h"
#include "tools/release_list/signing_key.h"

namespace release_list {

// Serial of a release signed now: seconds since 1970 (UTC), which only grows
// as long as the signing machine's clock does.
uint32_t SerialFromClock();

// Size and SHA-256 of every planned file, read whole. Files that cannot be
// read (or changed size since they were described) are added to `problems`.
integrity::ReleaseManifest DescribeSignedFiles(const ReleasePlan& plan, const std::map<std::string, FileDigests>& digests,
                                               base::StringList& problems);

struct SignedRelease {
    std::string text;  // the signature file
    uint32_t serial = 0;
};

// Adds the list as written (exact bytes), and the list's entry for itself
// when it has one, then signs. `serial` 0 keeps the serial of
// `publishedSignature` when that signs exactly this release (so publishing
// the same folder again, e.g. for another gateway key, changes nothing that
// mirrors may have cached), and otherwise takes SerialFromClock().
SignedRelease SignRelease(const SigningKey& key, integrity::ReleaseManifest manifest, const std::string& listBytes,
                          bool listNamesItself, uint32_t serial, const std::string& publishedSignature);

}  // namespace release_list
