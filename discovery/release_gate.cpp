#include "discovery/release_gate.h"

#include <windows.h>

#include "base/ansi_text.h"
#include "base/held_file.h"
#include "base/link_guard.h"
#include "base/message_box.h"
#include "discovery/release_check.h"
#include "discovery/release_record.h"
#include "fetch/refusal.h"
#include "integrity/release_verification.h"

namespace discovery {
namespace {

using install::GateResult;

const char kTextNoRecord[] =
    "[%s] 파일을 확인할 수 없습니다. 마지막으로 설치한 업데이트의 서명 파일이 없거나 올바르지 않습니다.";
const char kTextDeleted[] = "\n사용하지 않고 지웠습니다. 다음 실행 때 다시 받습니다.";
const char kTextOnlySigned[] = "\n서명된 업데이트의 파일만 사용합니다.";
const char kTextNotUsed[] = "\n사용하지 않았습니다. 다음 실행 때 서명 파일을 다시 받습니다.";

bool IsMissing(const std::string& path) { return ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

}  // namespace

ReleaseGate::ReleaseGate(std::unique_ptr<ReleaseFiles> files, std::string installFolder, base::RunReport& report)
    : files_(std::move(files)), installFolder_(std::move(installFolder)), report_(report) {}

GateResult ReleaseGate::Admit(const std::string& path, base::UniqueFile& held) const { return Check(path, held); }

GateResult ReleaseGate::ReadInstructions(const std::string& path, std::string& bytes) const {
    base::UniqueFile held;
    const GateResult result = Check(path, held);
    if (result != GateResult::kAdmitted) return result;
    return held && base::ReadHeldFile(held.get(), bytes) ? GateResult::kAdmitted : GateResult::kMissing;
}

GateResult ReleaseGate::Check(const std::string& path, base::UniqueFile& held) const {
    const integrity::SignedFile* signedFile = files_ ? files_->Find(path) : nullptr;
    if (!signedFile && !InInstallFolder(path)) {
        held = base::OpenHeldFile(path);
        return held || !IsMissing(path) ? GateResult::kAdmitted : GateResult::kMissing;
    }
    if (IsMissing(path)) return GateResult::kMissing;
    if (!files_) return Refuse(path, kTextNoRecord, kTextNotUsed);
    if (!signedFile) return Refuse(path, fetch::kTextFileUnsigned, kTextOnlySigned);
    held = base::OpenHeldFile(path);
    if (held && integrity::OpenFileMatches(held.get(), *signedFile)) return GateResult::kAdmitted;
    // The next run's comparison finds the file missing and fetches it again.
    held.reset();
    base::DeleteName(path);
    return Refuse(path, fetch::kTextFileMismatch, kTextDeleted);
}

bool ReleaseGate::InInstallFolder(const std::string& path) const {
    return base::ToLowerAnsi(path).compare(0, installFolder_.size(), base::ToLowerAnsi(installFolder_)) == 0;
}

GateResult ReleaseGate::Refuse(const std::string& path, const char* reason, const char* remedy) const {
    // Files of the install folder are named as the release names them.
    const std::string name = InInstallFolder(path) ? path.substr(installFolder_.size()) : path;
    report_.ShowError(base::FormatText(reason, base::EchoInBox(name).c_str()) + remedy);
    return GateResult::kRefused;
}

std::unique_ptr<ReleaseGate> GateOfThisRun(const UpdateState& state) {
    if (!state.m_trust.Checks()) return nullptr;
    return std::make_unique<ReleaseGate>(std::make_unique<ReleaseFiles>(state.m_releaseFiles),
                                         state.m_strInstallFolder, *state.report);
}

std::unique_ptr<ReleaseGate> GateOfKeptRelease(const std::string& installFolder, const UpdateState& state) {
    auto files = std::make_unique<ReleaseFiles>();
    switch (LoadReleaseRecord(installFolder, ChecksReleases(state), *files)) {
    case ReleaseRecord::kNone:
        return nullptr;
    case ReleaseRecord::kUnreadable:
        files.reset();
        break;
    case ReleaseRecord::kLoaded:
        break;
    }
    return std::make_unique<ReleaseGate>(std::move(files), installFolder, *state.report);
}

}  // namespace discovery
