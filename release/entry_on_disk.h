// Whether a file on disk is the file a list entry describes.
#pragma once

#include <string>

#include "release/list_entry.h"

namespace release {

// The file at `path` differs from the fingerprint. Paths too short to name
// a file below a folder are not fingerprinted and never differ.
bool DiffersFromFingerprint(const std::string& path, const std::string& fingerprint);
// Against the file at `path`: its size, product version and fingerprint.
bool NeedsUpdateOnDisk(const ListEntry& entry, const std::string& path);

}  // namespace release
