// The processes the driver answers for: the one it started and every process
// started after the driver whose parent is one of them, even when that parent
// has already exited (the updater -> helper -> updater chain). Found through
// a job object where the system supports it and through the process
// snapshot's parent ids in every case.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "tests/tools/uidriver/json_log.h"

namespace uidriver {

class ProcessTree {
public:
    explicit ProcessTree(JsonLog& log) : log_(log) {}

    // Starts the command line; false with the system error code on failure.
    bool Start(const std::string& commandLine, DWORD& error);
    // Takes in new descendants and notes the ones that ended (both logged).
    void Poll();
    void KillAll();

    bool RootEnded() const { return tracked_.empty() || tracked_.front().ended; }
    DWORD RootExitCode() const { return tracked_.empty() ? 0 : tracked_.front().exitCode; }
    bool AllEnded() const;
    bool IsLive(DWORD pid) const;
    bool IsBaseline(DWORD pid, ULONGLONG created) const;

private:
    struct Tracked {
        DWORD pid = 0;
        DWORD parent = 0;
        std::string exe;
        base::UniqueKernelHandle handle;
        ULONGLONG created = 0;
        bool ended = false;
        DWORD exitCode = 0;
    };
    struct SnapshotEntry {
        DWORD pid;
        DWORD parent;
        std::string exe;
    };

    std::vector<SnapshotEntry> TakeSnapshot() const;
    std::vector<DWORD> JobMembers() const;
    const Tracked* FindAny(DWORD pid) const;
    bool Adopt(DWORD pid, DWORD parent, const std::string& exe, const char* via);
    void NoteEnded(Tracked& entry);

    JsonLog& log_;
    std::vector<Tracked> tracked_;  // the started process first
    std::set<DWORD> baseline_;      // processes that ran before the start: never ours
    ULONGLONG startTime_ = 0;       // when the driver started its program (FILETIME)
    std::map<DWORD, int> pending_;  // job members not named yet, with the polls spent on them
    base::UniqueKernelHandle job_;
    base::UniqueKernelHandle jobPort_;
};

}  // namespace uidriver
