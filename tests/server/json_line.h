// Reads the flat JSON objects of the server's request log (string and
// integer values only, as the server writes them).
#pragma once

#include <map>
#include <string>

namespace testserver {

// Field name to value; strings unescaped (\uXXXX below 0x100 becomes one
// byte), numbers kept as their text. False on a line that is not such an object.
bool ParseJsonLine(const std::string& line, std::map<std::string, std::string>& fields);

// A JSON string literal for `text` (bytes above 0x7F escaped as \u00XX).
std::string JsonQuote(const std::string& text);

}  // namespace testserver
