// The tool's console: its arguments and its output, in the list's code page
// (base/code_page.h) like every other text of the tool. On Windows the
// arguments come as UTF-16 and a console gets UTF-16 through WriteConsoleW,
// a file or pipe (a Linux terminal behind Wine is often one) UTF-8 bytes; on
// Linux both sides are UTF-8 (console_text_windows.cpp, console_text_posix.cpp).
#pragma once

#include <string>

#include "base/split_string.h"

namespace release_list {

// The program's name as its platform calls it.
const char* ProgramName();

// The arguments after the program's name. One that the code page cannot hold
// would be written wrong, so it is refused (ReleaseListError).
base::StringList CommandLineArguments(int argc, char** argv);

// Writes `ansi` and a line end to standard output (or standard error).
void PrintAnsi(const std::string& ansi, bool error = false);

}  // namespace release_list
