// Console output that reads right wherever it lands: a Windows console gets
// UTF-16 through WriteConsoleW, a file or pipe (a Linux terminal behind Wine
// is often one) gets UTF-8 bytes. Texts are in the ANSI code page, like
// everything else in the tool.
#pragma once

#include <string>

namespace release_list {

// Writes `ansi` and a line end to standard output (or standard error).
void PrintAnsi(const std::string& ansi, bool error = false);

}  // namespace release_list
