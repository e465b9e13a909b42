#include "discovery/repair_compare.h"

#include <windows.h>

#include "base/ansi_text.h"
#include "base/run_report.h"
#include "base/format_size.h"
#include "release/entry_on_disk.h"
#include "repair/installed_check.h"

namespace discovery {
namespace {

const char kTextChecking[] = "설치된 파일을 검사하고 있습니다...";

// The window's labels and bars for the check, on the worker's thread.
class CheckDisplay : public repair::CheckListener {
public:
    CheckDisplay(base::RunReport& report, const std::vector<repair::FileToCheck>& files,
                 const std::vector<std::string>& names)
        : report_(report), files_(files), names_(names), start_(::GetTickCount()) {
        for (const repair::FileToCheck& file : files) total_ += file.expected.size;
        report_.SetText(kStatusLabel, kTextChecking);
        report_.SetBarRange(kFileProgressBar, 0, 100);
        report_.SetBarRange(kTotalProgressBar, 0, 100);
    }

    void Progress(const repair::CheckProgress& progress) override {
        if (progress.current >= files_.size()) return;
        if (progress.current != shown_) {
            shown_ = progress.current;
            report_.SetText(kFileNameLabel, names_[shown_]);
        }
        const uint64_t size = files_[shown_].expected.size;
        report_.SetBarPos(kFileProgressBar, Percent(progress.currentDone, size));
        report_.SetBarPos(kTotalProgressBar, Percent(progress.allDone, total_));
        report_.SetText(kFileInfoLabel, base::FormatFileBytes(progress.currentDone, size));
        double elapsed = (::GetTickCount() - start_) / 1000.0;
        if (elapsed <= 0.0) elapsed = 0.001;
        const double rate = progress.allDone / elapsed < 1.0 ? 1.0 : progress.allDone / elapsed;
        const uint64_t left = total_ > progress.allDone ? total_ - progress.allDone : 0;
        report_.SetText(kSummaryLabel,
                        base::FormatRunSummary(progress.allDone, total_, rate, static_cast<uint64_t>(left / rate) + 1));
    }

private:
    static int Percent(uint64_t part, uint64_t whole) {
        return whole == 0 ? 100 : static_cast<int>(part * 100 / whole);
    }

    base::RunReport& report_;
    const std::vector<repair::FileToCheck>& files_;
    const std::vector<std::string>& names_;
    const DWORD start_;
    uint64_t total_ = 0;
    size_t shown_ = static_cast<size_t>(-1);
};

}  // namespace

std::vector<bool> FindDamagedFiles(UpdateState& state, const std::vector<release::ListEntry>& entries) {
    std::vector<bool> damaged(entries.size(), false);
    std::vector<repair::FileToCheck> files;
    std::vector<std::string> names;
    std::vector<size_t> entryOf;
    for (size_t i = 0; i < entries.size(); ++i) {
        const release::ListEntry& entry = entries[i];
        const std::string fullPath = release::FullPath(entry, state.m_strInstallFolder);
        const integrity::SignedFile* known = state.m_trust.Find(entry.remoteName);
        if (!known) {
            damaged[i] = release::NeedsUpdateOnDisk(entry, fullPath);
            continue;
        }
        files.push_back({fullPath, *known});
        names.push_back(base::FileNamePart(entry.localPath));
        entryOf.push_back(i);
    }
    CheckDisplay display(*state.report, files, names);
    const std::vector<bool> intact = repair::CheckInstalledFiles(files, repair::CheckThreadCount(), &display);
    for (size_t i = 0; i < files.size(); ++i) damaged[entryOf[i]] = !intact[i];
    return damaged;
}

}  // namespace discovery
