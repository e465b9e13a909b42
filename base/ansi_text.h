// Text helpers for narrow strings in the system's ANSI code page (949 on a
// Korean system). Case changes touch ASCII letters only and step over the
// trail byte of every double-byte character, so a Korean lead/trail pair is
// never altered by them.
#pragma once

#include "base/code_page.h"

#include <cstdarg>
#include <string>

namespace base {

std::string ToUpperAnsi(const std::string& text);
std::string ToLowerAnsi(const std::string& text);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Position of `needle` in `text`, both compared in upper case; npos if absent.
size_t FindNoCase(const std::string& text, const std::string& needle);

// Trims blanks, tabs, CR, LF, VT and FF at both ends (the white space of the C locale).
std::string Trim(const std::string& text);
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
std::string RemoveAll(std::string text, char ch);

// The text cut to at most `maxBytes` bytes followed by `mark` when it is
// longer; the cut never falls between the two bytes of a double-byte
// character. Texts that fit come back unchanged.
std::string CutText(const std::string& text, size_t maxBytes, const std::string& mark);

// printf-style formatting into a string of any length.
#ifdef __MINGW_PRINTF_FORMAT
#define ARKENFEL_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define ARKENFEL_PRINTF_FORMAT printf
#endif
std::string FormatText(const char* format, ...) __attribute__((format(ARKENFEL_PRINTF_FORMAT, 1, 2)));
std::string FormatTextV(const char* format, va_list args);

// Text after the last backslash (the whole text when there is none).
std::string FileNamePart(const std::string& path);
// Text up to and including the last backslash (empty when there is none).
std::string FolderPart(const std::string& path);

}  // namespace base
