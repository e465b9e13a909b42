// One discovery run: the gateway and version folder, the update list and its
// comparison, and the download of every pending file under its staged name
// (the target's path + "_").
#pragma once

#include <string>

#include "discovery/update_state.h"

namespace discovery {

enum DownloadResult : int {
    kFetched = 1,         // m_mapFetched lists the staged files
    kNothingToFetch = 0,  // every file is current
    kFailed = -1,         // a fetch failed or the gateway could not be read
    kFilesHeld = -2,      // a running program holds a file to replace; nothing fetched
    kServerDisabled = -3  // no request was made
};

// The server URL compiled into the program (begins with "//" in the
// server-disabled build).
std::string BuiltInServerUrl();

// The command-line option that asks for a repair run (m_bRepair); whatever
// follows it in its argument is ignored.
constexpr char kRepairOption[] = "repair:";

// The run as the program does it: the built-in server URL, the folder key
// from the "jisacd:" command-line option and a repair when "repair:" is given.
DownloadResult DownloadUpdates(UpdateState& state);
// The same with the server URL (trimmed; "//..." means disabled) and the
// gateway key given.
DownloadResult DownloadUpdates(UpdateState& state, const std::string& serverUrl, const std::string& gatewayKey);

}  // namespace discovery
