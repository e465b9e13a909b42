// Which program a command line starts. Without an application name,
// CreateProcess looks for the program in the current directory and along
// PATH, which any user can steer; the updater names the program itself.
#pragma once

#include <string>

namespace install {

// The full path of the program `commandLine` names, found as CreateProcess
// finds it but only where administrators write: its first part, in quotes or
// up to a blank (an unquoted part with blanks is tried one blank further at
// a time), with ".exe" added when the name has no extension. A name that is
// not a full path is looked for in `programFolder` (with trailing "\"), then
// in the system folder, then in the Windows folder; never in the current
// directory or along PATH. Empty when no such file exists.
std::string ResolveProgram(const std::string& commandLine, const std::string& programFolder);

}  // namespace install
