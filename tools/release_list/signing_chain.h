// What a signature file carries ahead of the release it signs: the root
// statements that lead updaters from older roots to the current ones, and
// the certificate of the release key that signs it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/release_list/release_options.h"
#include "tools/release_list/signing_key.h"

namespace release_list {

struct SigningChain {
    std::string text;         // the blocks, in the order the file holds them
    uint32_t keySerial = 0;   // of the certificate; 0 without one
    size_t rootStatements = 0;
};

// Reads --root-statement and --certificate. The certificate must certify
// `key`, and a release signed under a certificate must not be signed with
// a root's own key. Throws ReleaseListError.
SigningChain ReadSigningChain(const ReleaseOptions& options, const SigningKey& key);

}  // namespace release_list
