#include "discovery/update_state.h"

#include "base/module_path.h"

namespace discovery {

UpdateState::UpdateState()
    : m_strInstallFolder(base::GetModuleFolder()), m_strSelfFileName(base::GetModuleFileNamePart()) {}

}  // namespace discovery
