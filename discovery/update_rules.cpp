#include "discovery/update_rules.h"

#include <mbstring.h>

#include "release/file_identity.h"

namespace discovery {
namespace {

// Paths this short cannot name a file below a folder; such entries are not
// fingerprinted.
constexpr size_t kShortestCheckedPath = 4;

bool RevisionIsNewer(const std::string& server, const std::string& local) {
    return ::_mbscmp(reinterpret_cast<const unsigned char*>(server.c_str()),
                     reinterpret_cast<const unsigned char*>(local.c_str())) > 0;
}

bool DiffersFromFingerprint(const std::string& path, const std::string& fingerprint) {
    if (path.size() <= kShortestCheckedPath) return false;
    return !release::MatchesFingerprint(path, fingerprint);
}

}  // namespace

bool NeedsUpdateByList(const release::ListEntry& server, const release::ListEntry& local) {
    const std::string& path = local.localPath;
    if (!server.revision.empty()) {
        if (RevisionIsNewer(server.revision, local.revision)) return true;
        return release::GetFileSize64(path) == 0;
    }
    if (server.size != local.size) return true;
    if (server.fingerprint != local.fingerprint) return true;
    if (!release::SameVersionText(server.version, local.version)) return true;
    return DiffersFromFingerprint(path, server.fingerprint);
}

bool NeedsUpdateOnDisk(const release::ListEntry& entry, const std::string& path) {
    if (release::GetFileSize64(path) != entry.size) return true;
    if (!release::SameVersionText(release::GetProductVersionText(path), entry.version)) return true;
    return DiffersFromFingerprint(path, entry.fingerprint);
}

}  // namespace discovery
