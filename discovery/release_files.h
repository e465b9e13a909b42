// The files of a verified release by the full path each is installed at:
// what the installation steps check a file against before they use it.
#pragma once

#include <map>
#include <string>

#include "integrity/release_signature.h"

namespace discovery {

class ReleaseFiles {
public:
    // Every entry of the update list at `listPath` whose remote name
    // `signedFiles` holds. The list is read by name: the caller holds it.
    static ReleaseFiles FromList(const std::string& listPath, const std::string& installFolder,
                                 const std::map<std::string, integrity::SignedFile>& signedFiles);

    // The signed size and SHA-256 of the file at `fullPath` (case ignored),
    // or null when it is no file of the release.
    const integrity::SignedFile* Find(const std::string& fullPath) const;

private:
    std::map<std::string, integrity::SignedFile> byPath_;  // lower-cased full path
};

}  // namespace discovery
