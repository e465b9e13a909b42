// Options given on the updater's command line, such as "exec:" and "jisacd:".
#pragma once

#include <string>
#include <vector>

namespace base {

// Looks through the arguments after the program name, in order. Each is
// copied with every blank removed and letters lower-cased; the first copy that
// contains `prefix` anywhere gives `value` = the rest after the prefix,
// trimmed, and true. Without a hit `value` is left unchanged and the result is
// false. Values therefore never hold blanks or capitals.
bool GetCommandLineValue(const std::string& prefix, std::string& value);
// The same over an explicit argument vector (element 0 is the program).
bool GetCommandLineValue(const std::vector<std::string>& args, const std::string& prefix,
                         std::string& value);

// The process's arguments as the C runtime parsed them, program name first.
std::vector<std::string> GetProcessArguments();

}  // namespace base
