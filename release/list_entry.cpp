#include "release/list_entry.h"

#include <cstdlib>

#include "base/ansi_text.h"
#include "base/split_string.h"
#include "base/system_folders.h"
#include "base/usable_path.h"

namespace release {
namespace {

const char kSystemMarker[] = "$system$";

}  // namespace

void ParseListKey(const std::string& key, ListEntry& entry) {
    base::StringList pieces;
    base::SplitString(key, "|", pieces);
    entry.remoteName = base::GetListItem(pieces, 0);
    std::string local = pieces.size() > 1 ? pieces[1] : entry.remoteName;
    local = base::ReplaceAll(local, "/", "\\");

    entry.isSystemPath = false;
    const size_t marker = base::ToLowerAnsi(local).find(kSystemMarker);
    if (marker != std::string::npos) {
        local = base::SystemFolder() + local.substr(marker + sizeof(kSystemMarker) - 1);
        entry.isSystemPath = true;
    }
    entry.localPath = local;
}

void ParseListValue(const std::string& value, ListEntry& entry) {
    base::StringList fields;
    base::SplitString(value, "|", fields);
    entry.version = base::GetListItem(fields, 0);
    entry.size = static_cast<uint32_t>(std::strtoul(base::GetListItem(fields, 1).c_str(), nullptr, 10));
    entry.fingerprint = base::GetListItem(fields, 2);
    entry.revision = base::GetListItem(fields, 3);
    entry.blockIndexSize = static_cast<uint32_t>(std::strtoul(base::GetListItem(fields, 4).c_str(), nullptr, 10));
    entry.indexSeeds = static_cast<uint32_t>(std::strtoul(base::GetListItem(fields, 5).c_str(), nullptr, 10));
}

std::string FullPath(const ListEntry& entry, const std::string& installFolder) {
    return entry.isSystemPath ? entry.localPath : installFolder + entry.localPath;
}

bool StaysInItsFolder(const ListEntry& entry) {
    if (!entry.isSystemPath) return base::StaysBelowRoot(entry.localPath);
    const std::string system = base::SystemFolder();
    const std::string folder = system + "\\";
    return !system.empty() && entry.localPath.compare(0, folder.size(), folder) == 0 &&
           base::StaysBelowRoot(entry.localPath.substr(folder.size()));
}

}  // namespace release
