// Whether a text built from what the update server delivers can name a file
// or start a program at all. The ANSI file and process functions are not all
// safe with texts beyond their limits (some copy a path into a fixed buffer,
// some never return), so such texts are refused before any of them sees one.
#pragma once

#include <string>

namespace base {

// A path the ANSI file functions can take: shorter than MAX_PATH, no part
// longer than 255 bytes, no control character and none of < > " | ? *, and
// a colon only after a drive letter.
bool IsUsablePath(const std::string& path);

// A command line CreateProcess can take: not empty, at most 32767
// characters, no NUL (which would silently cut it).
bool IsUsableCommandLine(const std::string& commandLine);

}  // namespace base
