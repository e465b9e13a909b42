#include "discovery/release_check.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "base/held_file.h"
#include "base/machine_settings.h"
#include "base/message_box.h"
#include "base/window_protocol.h"
#include "discovery/compare_lists.h"
#include "discovery/release_texts.h"
#include "discovery/server_files.h"
#include "integrity/release_verification.h"
#include "transfer/local_files.h"
#include "transfer/resumable_transfer.h"

namespace discovery {

const char kTextFileMismatch[] = "[%s] 파일이 업데이트 서명과 일치하지 않습니다.";
const char kTextFileUnsigned[] = "[%s] 파일이 업데이트 서명에 없습니다.";

namespace {

const char kTextChecking[] = "업데이트 서명을 확인하고 있습니다...";
const char kTextCheckFailed[] = "업데이트 서명 확인에 실패했습니다!";
const char kTextNotInstalled[] = "\n서명이 확인되지 않은 업데이트는 설치하지 않습니다.";
const char kTextMissing[] = "업데이트 서명 파일을 받을 수 없습니다.";
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
    const bool fetched = FetchServerFile(state, integrity::kSignatureFileName) &&
                         transfer::ReadFileToString(copy, signature);
    ::DeleteFileA(copy.c_str());
    if (!fetched) return RefuseRelease(state, kTextMissing);

    // Held from here until it has been read, so the list read is the list checked.
    state.m_hHeldList = base::OpenHeldFile(state.m_strInstallFolder + kListName + "_");
    std::string list;
    if (state.m_hHeldList) base::ReadHeldFile(state.m_hHeldList.get(), list);
    integrity::PublicKey key;
    key.Load(state.m_strReleaseKey);
    integrity::ReleaseManifest release;
    const integrity::ReleaseCheck check =
        integrity::VerifyRelease(signature, key, folder, LowestAcceptedSerial(state), list, release);
    if (check != integrity::ReleaseCheck::kVerified) {
        state.m_hHeldList.reset();
        return RefuseRelease(state, RefusalText(check));
    }

    // Accepted once its signature holds: from now on an older release is a replay.
    if (release.serial > base::ReadReleaseSerial()) base::WriteReleaseSerial(release.serial);
    state.m_mapSignedFiles = std::move(release.files);
    state.m_strSignatureFile = std::move(signature);
    state.m_strListFile = std::move(list);
    return true;
}

uint32_t LowestAcceptedSerial(const UpdateState& state) {
    return std::max(state.m_nLowestSerial, base::ReadReleaseSerial());
}

void KeepReleaseFiles(UpdateState& state) {
    state.m_releaseFiles = ReleaseFiles::FromList(state.m_strInstallFolder + kListName + "_",
                                                  state.m_strInstallFolder, state.m_mapSignedFiles);
    state.m_hHeldList.reset();
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

bool HoldIfSigned(UpdateState& state, const ListEntry& entry, const std::string& staged) {
    const auto known = state.m_mapSignedFiles.find(entry.remoteName);
    if (known == state.m_mapSignedFiles.end()) return false;
    base::UniqueFile held = base::OpenHeldFile(staged);
    if (!held || !integrity::OpenFileMatches(held.get(), known->second)) return false;
    state.m_mapHeldStaged[entry.index] = std::move(held);
    return true;
}

bool StagedFileIsSigned(UpdateState& state, const ListEntry& entry, const std::string& staged) {
    if (HoldIfSigned(state, entry, staged)) return true;
    ::DeleteFileA(staged.c_str());
    ::DeleteFileA(transfer::MarkerPath(staged).c_str());
    const std::string text = base::FormatText(kTextFileMismatch, entry.localPath.c_str());
    return Refuse(state, text, text + kTextFetchAgain);
}

}  // namespace discovery
