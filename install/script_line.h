// The parsing half of the post-update script: its text into lines, and each
// line into what it asks for. Nothing here starts a program or touches a file.
#pragma once

#include <windows.h>

#include <string>

#include "base/split_string.h"

namespace install {

struct ScriptLine {
    bool managed = false;  // "path|keyword field|...": waited for, gated by the registry
    // What the line starts (or, for a font, names) as it stands in the line:
    // a managed line's field 0, relative to the install folder.
    std::string relativeCommand;
    // A simple line: the command line to start, and whether "$HIDE$" asked
    // for it to start hidden.
    std::string command;
    bool hide = false;
    // A managed line: install folder + field 0 (trimmed), and its keyword values.
    std::string path;
    DWORD waitMilliseconds = 0;
    std::string regPath;
    std::string regValue;
};

// Lines as a text-mode read gives them: split at line feeds, each trimmed
// (which also drops the carriage returns), empty ones left out.
base::StringList ScriptLines(const std::string& text);

// One trimmed, non-empty line.
ScriptLine ParseScriptLine(const std::string& line, const std::string& installFolder);

}  // namespace install
