#include "app/home_folder.h"

#include "base/ansi_text.h"
#include "base/split_string.h"

namespace app {

const char* const kHomeFolderName = "ARKENFEL";
const char* const kRelocatedName = "Arkenfel_Update.exe";

bool IsInPlace(const std::string& modulePath) {
    base::StringList parts;
    base::SplitString(modulePath, "\\", parts);
    return base::EqualsNoCase(base::GetListItem(parts, 1), kHomeFolderName) &&
           base::EqualsNoCase(base::GetListItem(parts, 2), base::FileNamePart(modulePath));
}

std::string HomeFolderFor(const std::string& modulePath) {
    base::StringList parts;
    base::SplitString(modulePath, "\\", parts);
    return base::FormatText("%s\\%s\\", base::GetListItem(parts, 0).c_str(), kHomeFolderName);
}

}  // namespace app
