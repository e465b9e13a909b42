#include "discovery/update_rules.h"

#include <mbstring.h>

#include "release/entry_on_disk.h"
#include "release/file_identity.h"

namespace discovery {
namespace {

bool RevisionIsNewer(const std::string& server, const std::string& local) {
    return ::_mbscmp(reinterpret_cast<const unsigned char*>(server.c_str()),
                     reinterpret_cast<const unsigned char*>(local.c_str())) > 0;
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
    return release::DiffersFromFingerprint(path, server.fingerprint);
}

}  // namespace discovery
