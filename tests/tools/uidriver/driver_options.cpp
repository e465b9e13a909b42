#include "tests/tools/uidriver/driver_options.h"

#include <cstdlib>

#include "tests/tools/uidriver/command_tokens.h"

namespace uidriver {
namespace {

// "<pattern>=<button>": the last '=' separates, since texts may hold one.
bool ParseRule(const std::string& text, bool once, AnswerRule& rule) {
    const size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq + 1 == text.size()) return false;
    rule.pattern = text.substr(0, eq);
    rule.button = text.substr(eq + 1);
    rule.once = once;
    return true;
}

// "<window>:<id>[,<id>...]": the last ':' separates, since titles may hold one.
bool ParseRead(const std::string& text, ReadRule& rule) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    rule.window = text.substr(0, colon);
    std::string ids = text.substr(colon + 1);
    size_t pos = 0;
    while (pos <= ids.size()) {
        size_t comma = ids.find(',', pos);
        if (comma == std::string::npos) comma = ids.size();
        const std::string item = ids.substr(pos, comma - pos);
        char* end = nullptr;
        const long id = std::strtol(item.c_str(), &end, 0);
        if (item.empty() || *end) return false;
        rule.ids.push_back(static_cast<int>(id));
        pos = comma + 1;
    }
    return !rule.ids.empty();
}

}  // namespace

bool ParseOptions(const std::string& raw, Options& options, std::string& error) {
    const std::vector<CommandToken> tokens = SplitCommandLine(raw);
    size_t i = 1;
    auto value = [&](const std::string& name, std::string& out) {
        if (i + 1 >= tokens.size()) {
            error = name + " needs a value";
            return false;
        }
        out = tokens[++i].text;
        return true;
    };
    for (; i < tokens.size(); ++i) {
        const std::string& name = tokens[i].text;
        std::string v;
        if (name == "--" && !tokens[i].quoted) {
            const size_t start = raw.find_first_not_of(" \t", tokens[i].end);
            if (start != std::string::npos) options.commandLine = raw.substr(start);
            break;
        } else if (name == "--log") {
            if (!value(name, options.logPath)) return false;
        } else if (name == "--timeout") {
            if (!value(name, v)) return false;
            options.timeoutMs = std::strtoul(v.c_str(), nullptr, 10);
        } else if (name == "--answer" || name == "--answer-once") {
            AnswerRule rule;
            if (!value(name, v)) return false;
            if (!ParseRule(v, name == "--answer-once", rule)) {
                error = "bad rule (want <text>=<button>): " + v;
                return false;
            }
            options.rules.push_back(rule);
        } else if (name == "--default") {
            if (!value(name, options.defaultButton)) return false;
        } else if (name == "--read") {
            ReadRule rule;
            if (!value(name, v)) return false;
            if (!ParseRead(v, rule)) {
                error = "bad --read (want <window>:<id>[,<id>...]): " + v;
                return false;
            }
            options.reads.push_back(rule);
        } else if (name == "--screenshot") {
            ScreenshotSpec shot;
            if (!value(name, shot.file)) return false;
            options.screenshots.push_back(shot);
        } else if (name == "--screenshot-when") {
            if (options.screenshots.empty()) {
                error = "--screenshot-when must follow --screenshot";
                return false;
            }
            if (!value(name, options.screenshots.back().when)) return false;
        } else if (name == "--wait-all") {
            options.waitAll = true;
        } else if (name == "--text-changes") {
            options.textChanges = true;
        } else {
            error = "unknown option: " + name;
            return false;
        }
    }
    if (!options.reads.empty()) options.textChanges = true;
    if (options.logPath.empty()) error = "--log is required";
    else if (options.commandLine.empty()) error = "no command line after --";
    return error.empty();
}

}  // namespace uidriver
