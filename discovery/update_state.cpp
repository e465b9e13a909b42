#include "discovery/update_state.h"

#include "base/module_path.h"
#include "integrity/built_in_key.h"

namespace discovery {

UpdateState::UpdateState()
    : m_strInstallFolder(base::GetModuleFolder()),
      m_strSelfFileName(base::GetModuleFileNamePart()),
      m_strReleaseKey(integrity::BuiltInReleaseKey()),
      m_nLowestSerial(integrity::BuiltInLowestSerial()) {}

}  // namespace discovery
