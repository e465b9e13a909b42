#include "discovery/release_record.h"

#include <windows.h>

#include "base/held_file.h"
#include "base/link_guard.h"
#include "base/machine_settings.h"
#include "crypto/sha256.h"
#include "integrity/trust_blocks.h"
#include "base/local_files.h"
#include "release/staging_layout.h"

namespace discovery {


namespace {

// Written beside the file first and then moved over it, so that the record
// is never half written.
bool Replace(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".$cp$";
    return base::WriteStringToFile(partial, bytes) &&
           base::MoveName(partial, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool ReadHeld(const std::string& path, base::UniqueFile& held, std::string& bytes) {
    held = base::OpenHeldFile(path);
    return held && base::ReadHeldFile(held.get(), bytes);
}

bool HashIs(const std::string& bytes, const crypto::Sha256Digest& expected) {
    crypto::Sha256Digest digest;
    return crypto::HashBytes(bytes, digest) && digest == expected;
}

}  // namespace

bool StoreReleaseRecord(const UpdateState& state) {
    crypto::Sha256Digest digest;
    if (!state.m_trust.Checks() || state.m_strSignatureFile.empty() ||
        !crypto::HashBytes(state.m_strSignatureFile, digest))
        return false;
    return Replace(state.m_strInstallFolder + release::kRecordListName, state.m_strListFile) &&
           Replace(state.m_strInstallFolder + release::kRecordSignatureName, state.m_strSignatureFile) &&
           base::WriteInstalledRelease(crypto::DigestToHex(digest).c_str());
}

ReleaseRecord LoadReleaseRecord(const std::string& installFolder, bool checksReleases, ReleaseFiles& files) {
    const std::string installed = base::ReadInstalledRelease();
    if (!checksReleases || installed.empty()) return ReleaseRecord::kNone;
    crypto::Sha256Digest kept;
    base::UniqueFile heldSignature, heldList;
    std::string signature, list;
    integrity::SignatureBlocks blocks;
    if (!crypto::DigestFromHex(installed, kept) ||
        !ReadHeld(installFolder + release::kRecordSignatureName, heldSignature, signature) || !HashIs(signature, kept) ||
        !ReadHeld(installFolder + release::kRecordListName, heldList, list) ||
        integrity::ReadSignatureBlocks(signature, blocks) != integrity::BlocksRead::kRead ||
        !HashIs(list, blocks.release.manifest.listSha256))
        return ReleaseRecord::kUnreadable;
    files = ReleaseFiles::FromList(installFolder + release::kRecordListName, installFolder, blocks.release.manifest.files);
    return ReleaseRecord::kLoaded;
}

}  // namespace discovery
