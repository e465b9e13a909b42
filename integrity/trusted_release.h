// The whole check of a release signature file against what this machine
// trusts: the built-in roots, followed along the file's root statements to
// the newest root set (which must pass through the set this machine reached
// before), the release key's certificate against that set and the highest
// key serial accepted before, and the release's own signature. Nothing a
// block says is looked at before its signature holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "integrity/built_in_roots.h"
#include "integrity/release_verification.h"
#include "integrity/root_keys.h"
#include "integrity/trust_blocks.h"

namespace integrity {

// The newest root set a machine has reached, by version and digest
// (RootSetDigest). Version 0: none beyond the built-in roots.
struct RootPin {
    uint32_t version = 0;
    crypto::Sha256Digest digest{};
};

struct MachineTrust {
    RootSet builtIn;
    RootPin reached;
    uint32_t lowestSerial = 0;     // the highest release serial accepted
    uint32_t lowestKeySerial = 0;  // the highest release-key serial accepted
};

// What the machine has accepted, raised to what the build accepts at the
// least. The floor belongs to the built-in roots: a machine that has reached
// a newer root set is past it already.
MachineTrust RaisedToFloor(MachineTrust trust, const TrustFloor& floor);

// From the built-in roots along the statements newer than them, each
// signed by k of the set before and k of its own. `keys` gets the last set
// reached. kVerified, kBadSignature (no usable built-in key),
// kBadRootStatement or kRootsNotReached.
ReleaseCheck FollowRootChain(const MachineTrust& trust, const std::vector<RootStatement>& statements, RootSet& reached,
                             RootKeys& keys);

struct TrustedRelease {
    ReleaseManifest manifest;
    uint32_t keySerial = 0;  // of its certificate; 0 when a root signed it
    RootPin roots;           // the root set it was checked against
    // Its key serial and release serial take the place of those stored, even
    // where lower: it comes from a newer root set or a newly certified key.
    bool serialsRestart = false;
};

// On kVerified `release` holds what the file signs. A release checked
// against a newer root set than the stored serials were accepted under is not
// held to those key serials, and one whose certificate has a higher key serial
// than any accepted is not held to the release serials of the keys before it.
ReleaseCheck VerifyTrustedRelease(const std::string& signatureFile, const MachineTrust& trust,
                                  const ReleaseWanted& wanted, const std::string& listBytes, TrustedRelease& release);

}  // namespace integrity
