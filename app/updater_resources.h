// Names the updater's resource ids to the libraries that use its resources
// without knowing their ids: the retry dialog and the carried helper.
#pragma once

namespace app {

void UseUpdaterResources();

}  // namespace app
