#include "discovery/staged_install.h"

#include "discovery/release_check.h"
#include "base/local_files.h"

namespace discovery {

bool InstallStagedFile(UpdateState& state, const release::ListEntry& entry, const std::string& staged,
                       const std::string& target) {
    if (!ChecksReleases(state)) {
        if (!base::CopyFileWithRetry(staged, target)) return false;
        ::DeleteFileA(staged.c_str());
        return true;
    }
    const auto held = state.m_mapHeldStaged.find(entry.index);
    if (held == state.m_mapHeldStaged.end() || !base::CopyOpenFileWithRetry(held->second.get(), target))
        return false;
    // The hold denies deletion to this process as well.
    state.m_mapHeldStaged.erase(held);
    ::DeleteFileA(staged.c_str());
    return true;
}

}  // namespace discovery
