// The post-update script: a text file beside the updater, named after it with
// ".ini", that starts installers (waiting for them and skipping them when the
// registry shows them installed) and installs TrueType fonts. It is consumed
// once: deleted after processing, whatever the outcome.
//
// A line is either a simple command line ("$HIDE$" anywhere starts it hidden)
// or "path|keyword field|..." with the keyword fields "$WAIT$:ms",
// "$REG_PATH$:root\key\value" and "$REG_VALUE$:text". The script, and every
// program or font it uses, must pass the gate.
#pragma once

#include <windows.h>

#include <string>

#include "base/run_report.h"
#include "install/file_gate.h"

namespace install {

// Runs the script of the running updater from its install folder. True when
// the script was read to its end without a failed line; the line that
// failed, and a program that would not start, go to the report as boxes.
bool RunPostUpdateScript(const FileGate& gate, base::RunReport& report);
// The same for a given script file and install folder (with trailing "\").
bool RunPostUpdateScript(const std::string& scriptPath, const std::string& installFolder, const FileGate& gate,
                         base::RunReport& report);

// The script's path for an executable path: its text up to the last "."
// (or all of it when there is none) + ".ini".
std::string ScriptPathFor(const std::string& modulePath);

// One managed line: runs the program (or installs the font, for a ".ttf"
// path) unless the registry value at `regPath` shows `regValue` installed.
// 0 for success; otherwise the program's exit code, STILL_ACTIVE when it
// outlived the wait, -1 when it could not be started, 1 for a failed font.
DWORD RunScriptLine(const FileGate& gate, const std::string& path, const char* arguments, DWORD waitMilliseconds,
                    const std::string& regPath, const std::string& regValue);

}  // namespace install
