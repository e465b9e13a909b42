#include "discovery/release_check.h"

#include "base/ansi_text.h"
#include "base/machine_settings.h"
#include "base/message_box.h"
#include "base/updater_settings.h"
#include "base/window_protocol.h"
#include "discovery/compare_lists.h"
#include "discovery/server_files.h"
#include "integrity/release_verification.h"
#include "integrity/trusted_release.h"
#include "transfer/local_files.h"
#include "transfer/resumable_transfer.h"

namespace discovery {
namespace {

const char kTextChecking[] = "업데이트 서명을 확인하고 있습니다...";
const char kTextCheckFailed[] = "업데이트 서명 확인에 실패했습니다!";
const char kTextNotInstalled[] = "\n서명이 확인되지 않은 업데이트는 설치하지 않습니다.";
const char kTextMissing[] = "업데이트 서명 파일을 받을 수 없습니다.";
const char kTextFileMismatch[] = "[%s] 파일이 업데이트 서명과 일치하지 않습니다.";
const char kTextFileUnsigned[] = "[%s] 파일이 업데이트 서명에 없습니다.";
const char kTextFetchAgain[] = "\n받은 파일을 지웠습니다. 다음 실행 때 다시 받습니다.";

const char* RefusalText(integrity::ReleaseCheck check) {
    switch (check) {
    case integrity::ReleaseCheck::kMalformed:
        return "업데이트 서명 파일의 형식이 올바르지 않습니다.";
    case integrity::ReleaseCheck::kBadSignature:
        return "업데이트 서명이 올바르지 않습니다.";
    case integrity::ReleaseCheck::kOtherFolder:
        return "업데이트 서명이 다른 버전 폴더의 것입니다.";
    case integrity::ReleaseCheck::kOlderSerial:
        return "이미 설치한 업데이트보다 오래된 업데이트입니다.";
    case integrity::ReleaseCheck::kListMismatch:
        return "업데이트 목록이 서명과 일치하지 않습니다.";
    case integrity::ReleaseCheck::kChainTooLong:
        return "루트 키 교체 단계가 너무 많습니다.";
    case integrity::ReleaseCheck::kBadRootStatement:
        return "루트 키 교체가 현재 루트 키와 새 루트 키로 서명되지 않았습니다.";
    case integrity::ReleaseCheck::kRootsNotReached:
        return "업데이트 서명이 이 컴퓨터가 신뢰하는 루트 키에 이르지 않습니다.";
    case integrity::ReleaseCheck::kUncertifiedKey:
        return "업데이트 서명 키가 루트 키로 인증되지 않았습니다.";
    case integrity::ReleaseCheck::kRevokedKey:
        return "업데이트 서명 키가 폐기되었습니다.";
    case integrity::ReleaseCheck::kOtherChannel:
        return "업데이트 서명이 다른 채널의 것입니다.";
    case integrity::ReleaseCheck::kVerified:
        break;
    }
    return "";
}

bool Refuse(const UpdateState& state, const std::string& status, const std::string& message) {
    base::SetControlText(state.hWnd, kStatusLabel, status);
    base::ShowErrorBox(message);
    return false;
}

bool RefuseRelease(const UpdateState& state, const char* reason) {
    ::DeleteFileA((state.m_strInstallFolder + kListName + "_").c_str());
    return Refuse(state, kTextCheckFailed, std::string(reason) + kTextNotInstalled);
}

// What this machine has accepted before. A stored root digest that is not
// hex stays all zeros, which no root set has: the machine then refuses
// releases until its value is mended, never takes a set it was not led to.
integrity::MachineTrust StoredTrust(const UpdateState& state) {
    integrity::MachineTrust trust;
    trust.builtIn = state.m_builtInRoots;
    const base::StoredRootPin pin = base::ReadRootPin();
    trust.reached.version = pin.version;
    integrity::DigestFromHex(pin.digest, trust.reached.digest);
    trust.lowestSerial = base::ReadReleaseSerial();
    trust.lowestKeySerial = base::ReadReleaseKeySerial();
    return trust;
}

// Accepted once its signature holds: from now on an older release is a
// replay, an older release key revoked and an older root set left behind.
void KeepTrust(const integrity::MachineTrust& before, const integrity::TrustedRelease& release) {
    // New roots or a new release key: their serials replace those of the keys they revoked.
    const bool restart = release.serialsRestart;
    if (restart || release.keySerial > before.lowestKeySerial) base::WriteReleaseKeySerial(release.keySerial);
    if (restart || release.manifest.serial > before.lowestSerial) base::WriteReleaseSerial(release.manifest.serial);
    // The built-in roots are trusted anyway; only a set reached beyond them is kept.
    if (release.roots.version > before.reached.version && release.roots.version > before.builtIn.version)
        base::WriteRootPin({release.roots.version, integrity::DigestToHex(release.roots.digest)});
}

}  // namespace

bool VerifyServerRelease(UpdateState& state, const integrity::ReleaseWanted& wanted) {
    state.m_mapSignedFiles.clear();
    base::SetControlText(state.hWnd, kStatusLabel, kTextChecking);
    const std::string copy = state.m_strInstallFolder + integrity::kSignatureFileName + "_";
    std::string signature;
    const bool fetched = FetchServerFile(state, integrity::kSignatureFileName, kSignatureCap) &&
                         transfer::ReadFileToString(copy, signature);
    ::DeleteFileA(copy.c_str());
    if (!fetched) return RefuseRelease(state, kTextMissing);

    std::string list;
    transfer::ReadFileToString(state.m_strInstallFolder + kListName + "_", list);
    const integrity::MachineTrust trust = StoredTrust(state);
    integrity::TrustedRelease release;
    const integrity::ReleaseCheck check = integrity::VerifyTrustedRelease(signature, trust, wanted, list, release);
    if (check != integrity::ReleaseCheck::kVerified) return RefuseRelease(state, RefusalText(check));

    KeepTrust(trust, release);
    state.m_mapSignedFiles = std::move(release.manifest.files);
    return true;
}

bool PendingFilesAreSigned(const UpdateState& state) {
    for (const auto& item : state.m_mapPending) {
        const ListEntry& entry = item.second;
        if (state.m_mapSignedFiles.count(entry.remoteName)) continue;
        const std::string text = base::FormatText(kTextFileUnsigned, entry.localPath.c_str());
        return Refuse(state, text, text + kTextNotInstalled);
    }
    return true;
}

bool StagedFileIsSigned(const UpdateState& state, const ListEntry& entry, const std::string& staged) {
    const auto known = state.m_mapSignedFiles.find(entry.remoteName);
    if (known != state.m_mapSignedFiles.end() && integrity::FileMatches(staged, known->second)) return true;
    ::DeleteFileA(staged.c_str());
    ::DeleteFileA(transfer::MarkerPath(staged).c_str());
    const std::string text = base::FormatText(kTextFileMismatch, entry.localPath.c_str());
    return Refuse(state, text, text + kTextFetchAgain);
}

}  // namespace discovery
