// The gateway file names the version folder that holds the current release.
#pragma once

#include <string>

namespace release {

// Lines end only at CR LF. Each non-blank line is "key=value" (both trimmed;
// a line starting with "=" has the empty key) or a bare value with the empty
// key; the first line of a key wins. Looks up `key` (exact case), then the
// empty key. On a hit stores the value and returns true; otherwise leaves
// `value` unchanged and returns false. `text` and `value` may be the same string.
// `chosenKey`, when given, gets the key of the line that named the folder:
// `key`, or the empty key when the gateway has no line for `key`.
bool ParseGateway(const std::string& text, std::string& value, const std::string& key,
                  std::string* chosenKey = nullptr);

}  // namespace release
