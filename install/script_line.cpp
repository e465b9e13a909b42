#include "install/script_line.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "install/script_keywords.h"

namespace install {

base::StringList ScriptLines(const std::string& text) {
    base::StringList pieces, lines;
    base::SplitString(text, "\n", pieces);
    for (const std::string& piece : pieces) {
        std::string line = base::Trim(piece);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

ScriptLine ParseScriptLine(const std::string& line, const std::string& installFolder) {
    ScriptLine parsed;
    base::StringList fields;
    base::SplitString(line, "|", fields);
    if (fields.size() == 1) {
        parsed.command = line;
        parsed.hide = line.find("$HIDE$") != std::string::npos;
        // Without the trim, "$HIDE$ setup.exe" would leave a blank in front,
        // and a command line that starts with a blank names no program.
        if (parsed.hide) parsed.command = base::Trim(base::ReplaceAll(line, "$HIDE$", ""));
        parsed.relativeCommand = parsed.command;
        return parsed;
    }
    const ScriptKeywords keywords = ParseScriptKeywords(fields);
    parsed.managed = true;
    parsed.path = base::Trim(installFolder + fields[0]);
    parsed.relativeCommand = parsed.path.substr(std::min(installFolder.size(), parsed.path.size()));
    parsed.waitMilliseconds = WaitMillisecondsFromText(keywords.wait);
    parsed.regPath = keywords.regPath;
    parsed.regValue = keywords.regValue;
    return parsed;
}

}  // namespace install
