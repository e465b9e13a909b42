// Relocation: an updater started outside its home folder puts itself there
// and starts that copy. The copy runs with administrator rights, so nothing
// that was in the folder before is started unless it is vouched for: an
// existing copy is started only when it is byte for byte this program or,
// in a build that checks releases, the updater of the release last installed
// here; anything else there is replaced by this program first.
#pragma once

#include <string>

namespace app {

// Makes the home folder for `modulePath`, puts the copy in place (the
// desktop shortcut with it when there was none) and starts it. A copy that
// cannot be put in place or started ends with an error box; nothing else
// is started.
void Relocate(const std::string& modulePath);

}  // namespace app
