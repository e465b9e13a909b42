#include "install/list_file.h"

namespace install {

std::string ListItemPath(const std::string& listPath, const std::string& item) {
    const size_t slash = listPath.rfind('\\');
    if (slash == std::string::npos) return item;
    return listPath.substr(0, slash) + "\\" + item;
}

}  // namespace install
