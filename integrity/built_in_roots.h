// The root public key files compiled into this program, with the number of
// them that must sign what the roots decide and the version of that root
// set, and the lowest serials it accepts. Without roots (threshold 0) the
// program checks no release.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace integrity {

struct BuiltInRootFiles {
    std::vector<std::string> keyFiles;  // PEM or DER SubjectPublicKeyInfo
    uint32_t threshold = 0;
    uint32_t version = 0;
};

BuiltInRootFiles BuiltInRoots();

// A release below these is a replay of one older than this build, even on a
// machine that has accepted no release yet: a release-key serial below
// `keySerial`, or one of that key serial below `serial`. (A higher key
// serial starts its own run of release serials.)
struct TrustFloor {
    uint32_t keySerial = 0;
    uint32_t serial = 0;
};

TrustFloor BuiltInFloor();

}  // namespace integrity
