// Splitting a raw Windows command line into arguments by the C runtime's
// rules, keeping where each argument ends so that the text after "--" can be
// passed on exactly as it was written.
#pragma once

#include <string>
#include <vector>

namespace uidriver {

struct CommandToken {
    std::string text;  // the argument after quote and backslash processing
    bool quoted = false;
    size_t end = 0;    // offset just past the argument in the raw line
};

std::vector<CommandToken> SplitCommandLine(const std::string& raw);

// Quotes one argument so that SplitCommandLine (and the C runtime) give it back unchanged.
std::string QuoteArgument(const std::string& argument);

}  // namespace uidriver
