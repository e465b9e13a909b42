// Walks a release folder and names every file in it the way the server will
// be asked for it.
#pragma once

#include <string>
#include <vector>

namespace release_list {

struct ScannedFile {
    std::string remoteName;  // relative path with "/" (ASCII, see CheckRemoteName)
    std::string path;        // full path for the ANSI file routines
};

struct ScanResult {
    std::vector<ScannedFile> files;  // in no particular order
    std::vector<std::string> problems;  // names that cannot be published, with the reason
};

// Files at the top of the release that are the publication's own and never
// entries: the list, the release signature, their temporary copies and a
// stray gateway file.
bool IsReservedTopLevelName(const std::string& name);

// Block indexes the tool wrote beside large files ("<name>.blkidx", any
// folder); never entries, so publishing a folder again does not list them.
bool IsBlockIndexName(const std::string& name);

// `folder` is an existing folder (ANSI path, no trailing "\"). Names are read
// through the wide API so that a name the list cannot carry is reported as it
// is, not as the "?" an ANSI call would make of it.
ScanResult ScanRelease(const std::string& folder);

}  // namespace release_list
