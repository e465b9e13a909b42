// The shortcuts on the all-users desktop that the first relocation creates.
#pragma once

#include <windows.h>

#include <string>

namespace app {

// Creates "<all-users desktop>\<name>.lnk" pointing at `targetPath` with
// `arguments`, working folder = the target's folder. COM lives only for
// this call.
HRESULT CreateDesktopShortcut(const std::string& targetPath, const std::string& name,
                              const std::string& arguments = std::string());

}  // namespace app
