#include "discovery/release_check.h"

#include "base/ansi_text.h"
#include "base/held_file.h"
#include "base/link_guard.h"
#include "base/machine_settings.h"
#include "base/local_files.h"
#include "base/temporary_name.h"
#include "base/run_report.h"
#include "fetch/refusal.h"
#include "fetch/server_files.h"
#include "integrity/trusted_release.h"
#include "release/staging_layout.h"

namespace discovery {
namespace {

const char kTextChecking[] = "업데이트 서명을 확인하고 있습니다...";
const char kTextCheckFailed[] = "업데이트 서명 확인에 실패했습니다!";
const char kTextMissing[] = "업데이트 서명 파일을 받을 수 없습니다.";

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

[[noreturn]] void RefuseRelease(const UpdateState& state, const char* reason) {
    base::DeleteName(state.StagedListPath());
    fetch::Refuse(base::RunStage::kSignature, kTextCheckFailed, std::string(reason) + fetch::kTextNotInstalled);
}

// What this machine has accepted before. A stored root digest that is not
// hex stays all zeros, which no root set has: the machine then refuses
// releases until its value is mended, never takes a set it was not led to.
integrity::MachineTrust StoredTrust(const UpdateState& state) {
    integrity::MachineTrust trust;
    trust.builtIn = state.m_builtInRoots;
    const base::StoredRootPin pin = base::ReadRootPin();
    trust.reached.version = pin.version;
    crypto::DigestFromHex(pin.digest, trust.reached.digest);
    trust.lowestSerial = base::ReadReleaseSerial();
    trust.lowestKeySerial = base::ReadReleaseKeySerial();
    return trust;
}

// Accepted once its signature holds: from now on an older release is a
// replay, an older release key revoked and an older root set left behind.
// `stored` is what the machine kept before, not raised to the build's floor,
// so that a release under the floor's own key serial is kept with it.
void KeepTrust(const integrity::MachineTrust& stored, const integrity::TrustedRelease& release) {
    // New roots or a higher release key: their serials replace those of the
    // keys they revoked. A release the roots signed themselves revokes none.
    if (release.serialsRestart || release.keySerial > stored.lowestKeySerial) {
        base::WriteReleaseKeySerial(release.keySerial);
        base::WriteReleaseSerial(release.manifest.serial);
    } else if (release.manifest.serial > stored.lowestSerial) {
        base::WriteReleaseSerial(release.manifest.serial);
    }
    // The built-in roots are trusted anyway: a machine that stores no set
    // needs none for them. A stored set is the one the serials above were
    // accepted under, so one below the release's roots is raised to them, the
    // build's own included: left below, every later run would count those
    // roots as new and start the serials anew, taking any older release.
    const bool storesASet = stored.reached.version != 0 || release.roots.version > stored.builtIn.version;
    if (release.roots.version > stored.reached.version && storesASet)
        base::WriteRootPin({release.roots.version, crypto::DigestToHex(release.roots.digest)});
}

}  // namespace

void BeginTrust(UpdateState& state) {
    state.m_trust = ChecksReleases(state) ? fetch::ReleaseTrust() : fetch::ReleaseTrust::WithoutKey();
}

void VerifyServerRelease(UpdateState& state, fetch::FetchContext& context, const integrity::ReleaseWanted& wanted) {
    state.report->SetText(kStatusLabel, kTextChecking);
    base::TemporaryName copy(release::StagedName(state.m_strInstallFolder + release::kSignatureFileName));
    std::string signature;
    const bool fetched = fetch::FetchServerFile(context, release::kSignatureFileName, fetch::kSignatureCap) &&
                         base::ReadFileToString(copy.path(), signature);
    copy.Delete();
    if (!fetched) RefuseRelease(state, kTextMissing);

    // Held from here until it has been read, so the list read is the list checked.
    state.m_hHeldList = base::OpenHeldFile(state.StagedListPath());
    std::string list;
    if (state.m_hHeldList) base::ReadHeldFile(state.m_hHeldList.get(), list);
    const integrity::MachineTrust stored = StoredTrust(state);
    integrity::TrustedRelease release;
    const integrity::ReleaseCheck check = integrity::VerifyTrustedRelease(
        signature, integrity::RaisedToFloor(stored, state.m_trustFloor), wanted, list, release);
    if (check != integrity::ReleaseCheck::kVerified) {
        state.m_hHeldList.reset();
        RefuseRelease(state, RefusalText(check));
    }

    KeepTrust(stored, release);
    state.m_trust.Accept(std::move(release.manifest.files));
    state.m_strSignatureFile = std::move(signature);
    state.m_strListFile = std::move(list);
}

void KeepReleaseFiles(UpdateState& state) {
    state.m_releaseFiles =
        ReleaseFiles::FromList(state.StagedListPath(), state.m_strInstallFolder, state.m_trust.SignedFiles());
    state.m_hHeldList.reset();
}

}  // namespace discovery
