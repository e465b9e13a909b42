#include "release/entry_on_disk.h"

#include "release/file_identity.h"

namespace release {
namespace {

// Paths this short cannot name a file below a folder; such entries are not
// fingerprinted.
constexpr size_t kShortestCheckedPath = 4;

}  // namespace

bool DiffersFromFingerprint(const std::string& path, const std::string& fingerprint) {
    if (path.size() <= kShortestCheckedPath) return false;
    return !MatchesFingerprint(path, fingerprint);
}

bool NeedsUpdateOnDisk(const ListEntry& entry, const std::string& path) {
    if (GetFileSize64(path) != entry.size) return true;
    if (!SameVersionText(GetProductVersionText(path), entry.version)) return true;
    return DiffersFromFingerprint(path, entry.fingerprint);
}

}  // namespace release
