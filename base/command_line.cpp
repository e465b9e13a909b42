#include "base/command_line.h"

#include <cstdlib>

#include "base/ansi_text.h"

namespace base {

bool GetCommandLineValue(const std::vector<std::string>& args, const std::string& prefix,
                         std::string& value) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string folded = ToLowerAnsi(RemoveAll(args[i], ' '));
        const size_t pos = folded.find(prefix);
        if (pos == std::string::npos) continue;
        value = Trim(folded.substr(pos + prefix.size()));
        return true;
    }
    return false;
}

bool GetCommandLineValue(const std::string& prefix, std::string& value) {
    return GetCommandLineValue(GetProcessArguments(), prefix, value);
}

std::vector<std::string> GetProcessArguments() {
    std::vector<std::string> args;
    for (int i = 0; i < __argc; ++i) args.emplace_back(__argv[i] ? __argv[i] : "");
    return args;
}

}  // namespace base
