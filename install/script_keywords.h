// The keyword fields of a managed script line.
#pragma once

#include <string>

#include "base/split_string.h"

namespace install {

struct ScriptKeywords {
    std::string wait;      // "$WAIT$:" value, milliseconds as text
    std::string regPath;   // "$REG_PATH$:" value
    std::string regValue;  // "$REG_VALUE$:" value
};

// Reads fields 1.. of a split line. Each field is trimmed and searched in
// upper case for the keywords, in a fixed order; the first one found decides
// the field, its value is the trimmed text after it in the field's own case.
// A later field with the same keyword wins; fields without one are ignored.
ScriptKeywords ParseScriptKeywords(const base::StringList& fields);

// "$WAIT$:" text to milliseconds: strtol base 10, -1 meaning no limit.
unsigned long WaitMillisecondsFromText(const std::string& text);

}  // namespace install
