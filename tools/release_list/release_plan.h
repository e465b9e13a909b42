// Decides, for every file of a release, its section, where it installs and
// its revision, from the operator's rules; and checks that the result is a
// list the updater can work with.
#pragma once

#include <string>
#include <vector>

#include "tools/release_list/release_options.h"
#include "tools/release_list/release_scan.h"

namespace release_list {

struct PlannedFile {
    ScannedFile file;
    std::string section;
    std::string localPath;  // "\"-separated; empty when it is the remote name
    std::string revision;
};

struct ReleasePlan {
    base::StringList sectionOrder;     // as the list will hold them
    std::vector<PlannedFile> files;    // sorted by remote name
};

// Every problem found (bad option texts, rules matching nothing, two files
// installing to one path ...) is added to `problems`.
ReleasePlan PlanRelease(const ReleaseOptions& options, std::vector<ScannedFile> files, base::StringList& problems);

}  // namespace release_list
