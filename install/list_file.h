// The list files the update server delivers beside the updater ("setup.bat",
// "firewall.ini") name their items relative to the list's own folder.
#pragma once

#include <string>

namespace install {

// The list's folder (its path up to, not including, the last "\") + "\" +
// item. A list path without a folder gives the item as it stands.
std::string ListItemPath(const std::string& listPath, const std::string& item);

}  // namespace install
