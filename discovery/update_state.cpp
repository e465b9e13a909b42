#include "discovery/update_state.h"

#include "base/module_path.h"
#include "discovery/release_check.h"
#include "integrity/built_in_roots.h"
#include "integrity/root_keys.h"

namespace discovery {

UpdateState::UpdateState()
    : m_strInstallFolder(base::GetModuleFolder()),
      m_strSelfFileName(base::GetModuleFileNamePart()),
      m_trustFloor(integrity::BuiltInFloor()) {
    // Key files that make no usable set leave it without keys, so that every
    // release is refused rather than taken unsigned.
    const integrity::BuiltInRootFiles roots = integrity::BuiltInRoots();
    integrity::RootSetFromKeyFiles(roots.keyFiles, roots.threshold, roots.version, m_builtInRoots);
    BeginTrust(*this);
}

}  // namespace discovery
