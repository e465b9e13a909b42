// Splitting texts into pieces at a separator, empty pieces kept.
#pragma once

#include <string>
#include <vector>

namespace base {

using StringList = std::vector<std::string>;

// Appends the separator to the text, then appends to `list`, in order, every
// piece that stands before an occurrence of the separator. "a||b" at "|" gives
// three pieces, "a|" two, "" one (empty). An empty separator adds the text whole.
void SplitString(const std::string& text, const std::string& separator, StringList& list);
// The piece at a zero-based index, or an empty string past the end.
std::string GetListItem(const StringList& list, size_t index);

}  // namespace base
