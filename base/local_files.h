// Small whole-file routines used around the downloads. Each opens, uses and
// closes its file within one call, reports failure as 0 and never shows a box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/split_string.h"

namespace base {

// Reads the whole file (bytes unchanged, NULs included). 1 read, 0 failed.
int ReadFileToString(const std::string& path, std::string& text);
// Creates or truncates the file and writes the text's bytes, no terminator.
int WriteStringToFile(const std::string& path, const std::string& text);
// Appends the file's lines, split only at CR LF, trimmed, empty ones left out.
// 1 if at least one line was added, else 0.
int ReadLines(const std::string& path, base::StringList& lines);
// The same for a text already read.
int SplitLines(const std::string& text, base::StringList& lines);
// Puts a copy of `existingPath` at `newPath`, overwriting it. Up to 15
// attempts 300 ms apart cover a target that is briefly locked. The copy is
// written under a temporary name beside the target and then moved over it in
// one step, so the target is never left half-written, not even when the
// process dies mid-copy. Non-zero when the target now holds the copy.
int CopyFileWithRetry(const std::string& existingPath, const std::string& newPath);
// The same from a file already open for reading (from its start), so that
// the bytes copied are those of the file the handle was opened on.
int CopyOpenFileWithRetry(HANDLE source, const std::string& newPath);
// Creates every missing folder of `path` from the left. Non-zero when the
// folder exists afterwards. A drive prefix such as "C:" counts as present; a
// path that begins with a backslash fails at its empty first part.
int CreateDirectories(const std::string& path);
// Dotted (or comma-separated) version text to a number: up to four
// components, right-aligned in 16-bit steps, each sign-extended ("1.2" gives
// 0x10002; "1.2.3.4" gives 0x0001000200030004).
uint64_t ParseVersionValue(const std::string& text);

}  // namespace base
