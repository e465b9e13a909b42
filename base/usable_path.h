// Whether a text built from what the update server delivers can name a file
// or start a program at all, and whether a path it names stays where it
// belongs. The ANSI file and process functions are not all safe with texts
// beyond their limits (some copy a path into a fixed buffer, some never
// return), so such texts are refused before any of them sees one.
#pragma once

#include <string>

namespace base {

// A path the ANSI file functions can take: shorter than MAX_PATH, no part
// longer than 255 bytes, no control character and none of < > " | ? *, and
// a colon only after a drive letter.
bool IsUsablePath(const std::string& path);

// A relative path (from a list entry, setup.bat, firewall.ini, a script
// line) that stays below the folder it is put under: not empty, no drive,
// no leading separator (absolute or UNC), no ':' (drive or stream), and
// every part, between "\" or "/", not empty, not ending in a dot or a blank
// (which covers "." and ".."), and not a device name (CON, PRN, AUX, NUL,
// COM0-9, LPT0-9, also with a superscript digit, CONIN$, CONOUT$; any case,
// with or without an extension). Double-byte characters of the ANSI code
// page are stepped over whole, as the system reads them.
bool StaysBelowRoot(const std::string& relativePath);

// A command line CreateProcess can take: not empty, at most 32767
// characters, no NUL (which would silently cut it).
bool IsUsableCommandLine(const std::string& commandLine);

// The program a command line names: its first part, up to the first blank
// or tab, or between the quotes when it starts with one.
std::string ProgramOfCommandLine(const std::string& commandLine);

// A command line (relative to the folder it is started in) whose program
// stays below that folder, also as the system reads an unquoted line: it
// tries every longer name up to each blank, so no ".." part may stand
// anywhere in the line.
bool CommandStaysBelowRoot(const std::string& commandLine);

}  // namespace base
