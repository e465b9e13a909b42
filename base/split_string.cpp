#include "base/split_string.h"

namespace base {

void SplitString(const std::string& text, const std::string& separator, StringList& list) {
    if (separator.empty()) {
        list.push_back(text);
        return;
    }
    const std::string whole = text + separator;
    size_t start = 0;
    for (size_t pos = whole.find(separator); pos != std::string::npos;
         pos = whole.find(separator, start)) {
        list.push_back(whole.substr(start, pos - start));
        start = pos + separator.size();
    }
}

std::string GetListItem(const StringList& list, size_t index) {
    return index < list.size() ? list[index] : std::string();
}

}  // namespace base
