// The key ceremony's two commands. "--certify": roots certify a release key
// with a key serial. "--rotate-roots": roots name their successors (new keys,
// new threshold, a higher root version). Each writes one file, or adds its
// signers to the file given when that states the same, so that the file can
// go from one root holder to the next; "--certificate" and
// "--root-statement" then publish it with every release.
#pragma once

#include <cstdint>
#include <string>

#include "base/split_string.h"

namespace release_list {

struct TrustCommand {
    enum class Kind { kCertify, kRotateRoots } kind = Kind::kCertify;
    std::string file;             // the certificate or root statement to write
    base::StringList rootKeys;    // --root: private key files that sign
    std::string releaseKey;       // --certify: the release key's public key file
    uint32_t keySerial = 0;       // --certify
    uint32_t rootVersion = 0;     // --rotate-roots
    uint32_t threshold = 0;       // --rotate-roots
    base::StringList newRoots;    // --rotate-roots: public key files
};

// True (and the command) when `args` is one of the two commands. Throws
// ReleaseListError on a usage mistake.
bool ParseTrustCommand(const base::StringList& args, TrustCommand& command);

// Signs and writes the file; returns the lines to show the operator.
// Throws ReleaseListError (nothing is written then).
base::StringList RunTrustCommand(const TrustCommand& command);

// The DER SubjectPublicKeyInfo of a public key file. Throws ReleaseListError.
std::string ReadPublicKeyDer(const std::string& path);

}  // namespace release_list
