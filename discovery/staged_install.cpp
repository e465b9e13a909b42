#include "discovery/staged_install.h"

#include "base/link_guard.h"
#include "base/local_files.h"

namespace discovery {

bool InstallStagedFile(UpdateState& state, const release::ListEntry& entry, const std::string& staged,
                       const std::string& target) {
    if (!state.m_trust.Checks()) {
        if (!base::CopyFileWithRetry(staged, target)) return false;
        base::DeleteName(staged);
        return true;
    }
    const HANDLE held = state.m_trust.HeldFor(entry.index);
    if (!held) return false;
    // A file its download still holds is renamed into place through that
    // handle: no copy of its bytes, and still nothing unchecked in between.
    // A handle that may not rename (a file read and held after an earlier
    // run, or one put together from blocks) gives a copy of what it holds.
    if (base::RenameOpenFile(held, target)) {
        state.m_trust.LetGo(entry.index);
        return true;
    }
    if (!base::CopyOpenFileWithRetry(held, target)) return false;
    // The hold denies deletion to this process as well.
    state.m_trust.LetGo(entry.index);
    base::DeleteName(staged);
    return true;
}

}  // namespace discovery
