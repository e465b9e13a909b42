// The root public key files compiled into this program, with the number of
// them that must sign what the roots decide and the version of that root
// set. Without roots (threshold 0) the program checks no release.
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

}  // namespace integrity
