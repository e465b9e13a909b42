#include "discovery/release_record.h"

#include <windows.h>

#include "base/held_file.h"
#include "base/machine_settings.h"
#include "discovery/release_check.h"
#include "integrity/public_key.h"
#include "integrity/release_verification.h"
#include "transfer/local_files.h"

namespace discovery {

const char kRecordSignatureName[] = "Arkenfel_Release.sig";
const char kRecordListName[] = "Arkenfel_Release.lst";

namespace {

// Written beside the file first and then moved over it, so that the record
// is never half written.
bool Replace(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".$cp$";
    return transfer::WriteStringToFile(partial, bytes) &&
           ::MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool ReadHeld(const std::string& path, base::UniqueFile& held, std::string& bytes) {
    held = base::OpenHeldFile(path);
    return held && base::ReadHeldFile(held.get(), bytes);
}

}  // namespace

bool StoreReleaseRecord(const UpdateState& state) {
    integrity::SignatureFile verified;
    if (!ChecksReleases(state) || !integrity::ParseSignatureFile(state.m_strSignatureFile, verified)) return false;
    return Replace(state.m_strInstallFolder + kRecordListName, state.m_strListFile) &&
           Replace(state.m_strInstallFolder + kRecordSignatureName, state.m_strSignatureFile) &&
           base::WriteInstalledSerial(verified.manifest.serial);
}

ReleaseRecord LoadReleaseRecord(const std::string& installFolder, const std::string& releaseKey,
                                uint32_t lowestSerial, ReleaseFiles& files) {
    const uint32_t installed = base::ReadInstalledSerial();
    if (releaseKey.empty() || installed == 0) return ReleaseRecord::kNone;
    base::UniqueFile heldSignature, heldList;
    std::string signature, list;
    integrity::SignatureFile parsed;
    if (!ReadHeld(installFolder + kRecordSignatureName, heldSignature, signature) ||
        !ReadHeld(installFolder + kRecordListName, heldList, list) ||
        !integrity::ParseSignatureFile(signature, parsed))
        return ReleaseRecord::kUnreadable;
    integrity::PublicKey key;
    key.Load(releaseKey);
    // Which version folder it was signed for no longer matters here.
    integrity::ReleaseManifest release;
    // An older genuine record put back in its place is not the one installed.
    if (integrity::VerifyRelease(signature, key, parsed.manifest.folder, lowestSerial, list, release) !=
            integrity::ReleaseCheck::kVerified ||
        release.serial != installed)
        return ReleaseRecord::kUnreadable;
    files = ReleaseFiles::FromList(installFolder + kRecordListName, installFolder, release.files);
    return ReleaseRecord::kLoaded;
}

}  // namespace discovery
