// The tool's whole job: scan a release folder, describe every file the way
// the updater checks it, and write the update list (and, when asked, point
// the gateway file at the release). Nothing is written unless every file
// could be described.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "integrity/release_signature.h"
#include "integrity/trust_blocks.h"
#include "tools/release_list/release_options.h"

namespace release_list {

struct PublishSummary {
    std::string listPath;
    std::string gatewayPath;  // empty when no gateway was written
    std::string version;      // the gateway's folder name for this release
    size_t fileCount = 0;
    uint64_t totalBytes = 0;
    bool namesItself = false;  // the list has an entry for itself (not counted above)
    std::vector<std::pair<std::string, size_t>> sections;  // name, entry count
    std::string signaturePath;  // empty when the release was not signed
    std::string signedFolder;   // the version folder the signature names
    uint32_t serial = 0;
    uint32_t keySerial = 0;     // of the release key's certificate; 0: signed by a root
    size_t rootStatements = 0;  // root statements the signature carries
    size_t blockIndexes = 0;  // files published with a block index
    size_t seededIndexes = 0;  // of those, the ones whose index names seeds
};

// Throws ReleaseListError, naming every problem found, when the list cannot
// be written; an existing list (and gateway file) is then left as it was.
PublishSummary PublishRelease(const ReleaseOptions& options);

// The release signed in a published version folder, as its signature file
// states it (not checked against a key). Throws ReleaseListError when the
// folder holds no signature file or the file is not one.
integrity::SignatureBlocks PublishedSignature(const std::string& releaseFolder);

}  // namespace release_list
