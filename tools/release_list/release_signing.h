// The release signature file that the tool publishes beside the list when
// it is given the publisher's private key.
#pragma once

#include <cstdint>
#include <string>

#include "integrity/release_signature.h"
#include "tools/release_list/release_plan.h"
#include "tools/release_list/signing_key.h"

namespace release_list {

// Serial of a release signed now: seconds since 1970 (UTC), which only grows
// as long as the signing machine's clock does.
uint32_t SerialFromClock();

// Size and SHA-256 of every planned file, read whole. Files that cannot be
// read (or changed size since they were described) are added to `problems`.
integrity::ReleaseManifest DescribeSignedFiles(const ReleasePlan& plan, base::StringList& problems);

// Adds the list as written (exact bytes), and the list's entry for itself
// when it has one, then signs. Returns the signature file text.
std::string SignRelease(const SigningKey& key, integrity::ReleaseManifest manifest, const std::string& listBytes,
                        bool listNamesItself);

}  // namespace release_list
