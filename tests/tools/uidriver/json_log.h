// The driver's log: one JSON object per line, texts converted from the ANSI
// code page to UTF-8, every line flushed at once so that a killed driver
// still leaves a readable log.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace uidriver {

// A JSON string literal (quotes included) of an ANSI text.
std::string JsonString(const std::string& ansi);

class JsonLine {
public:
    explicit JsonLine(const char* event);
    JsonLine& Text(const char* key, const std::string& ansi);
    JsonLine& Number(const char* key, long long value);
    JsonLine& Bool(const char* key, bool value);
    JsonLine& Null(const char* key);
    JsonLine& Raw(const char* key, const std::string& json);  // an array or object built elsewhere
    JsonLine& Members(const std::string& json);              // `"a":1,"b":2` built elsewhere
    const std::string& body() const { return body_; }

private:
    std::string body_;
};

class JsonLog {
public:
    bool Open(const std::string& path);
    // Adds "t" (milliseconds since the log was opened) and writes the line.
    void Write(const JsonLine& line);
    // The same with a "t" of an earlier moment (an event reported late).
    void WriteAt(DWORD t, const JsonLine& line);
    DWORD Elapsed() const { return ::GetTickCount() - start_; }
    DWORD StartTick() const { return start_; }

private:
    base::UniqueFile file_;
    DWORD start_ = ::GetTickCount();
};

}  // namespace uidriver
