// The code page a release's texts are in: the system's ANSI code page on
// Windows (949, Korean, on the players' machines), CP949 for the release
// tool on Linux, which writes the list the updater reads in it. Which bytes
// lead a double-byte character, and the text in the other encodings. The
// platform's own tables do the work: Windows' (code_page_windows.cpp),
// iconv's (code_page_iconv.cpp).
#pragma once

#include <string>

namespace base {

// The code page's number (949 on the players' machines and on Linux).
unsigned ListCodePage();
bool IsLeadByte(unsigned char c);
// The text as UTF-16 code units; empty for a text the code page cannot read.
std::u16string AnsiToUtf16(const std::string& ansi);
// Conversions at the edges where UTF-8 is wanted (logs, test output, Linux
// file names). A character the other side cannot hold becomes what the
// platform makes of it ("?" on Windows); on Linux an unreadable text gives
// an empty one.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace base
