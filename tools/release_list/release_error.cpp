#include "tools/release_list/release_error.h"

namespace release_list {

void ThrowIfAny(const base::StringList& problems) {
    if (problems.empty()) return;
    std::string text;
    for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
    throw ReleaseListError(text);
}

}  // namespace release_list
