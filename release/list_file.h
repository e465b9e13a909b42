// A whole update list file read entry by entry, as the release tool and the
// benchmarks read a published list (the updater chooses its sections itself).
#pragma once

#include <string>
#include <vector>

#include "release/list_entry.h"

namespace release {

struct ListedEntry {
    std::string section;
    std::string key;
    ListEntry entry;  // key and value parsed; `index` is its place in the file
};

// Every entry of every section, in file order, read with the updater's own
// reader. Empty when the file cannot be read.
std::vector<ListedEntry> ReadListFile(const std::string& path);

}  // namespace release
