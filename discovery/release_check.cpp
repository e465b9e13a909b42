#include "discovery/release_check.h"

#include "base/ansi_text.h"
#include "base/message_box.h"
#include "base/updater_settings.h"
#include "base/window_protocol.h"
#include "discovery/compare_lists.h"
#include "discovery/server_files.h"
#include "integrity/release_verification.h"
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

}  // namespace

bool VerifyServerRelease(UpdateState& state, const std::string& folder) {
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
    integrity::PublicKey key;
    key.Load(state.m_strReleaseKey);
    integrity::ReleaseManifest release;
    const integrity::ReleaseCheck check =
        integrity::VerifyRelease(signature, key, folder, base::ReadReleaseSerial(), list, release);
    if (check != integrity::ReleaseCheck::kVerified) return RefuseRelease(state, RefusalText(check));

    // Accepted once its signature holds: from now on an older release is a replay.
    if (release.serial > base::ReadReleaseSerial()) base::WriteReleaseSerial(release.serial);
    state.m_mapSignedFiles = std::move(release.files);
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
