#include "tests/tools/uidriver/json_log.h"

#include <cstdio>

#include "base/ansi_text.h"

namespace uidriver {

std::string JsonString(const std::string& ansi) {
    const std::string utf8 = base::AnsiToUtf8(ansi);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

JsonLine::JsonLine(const char* event) { body_ = "\"event\":" + JsonString(event); }

JsonLine& JsonLine::Text(const char* key, const std::string& ansi) { return Raw(key, JsonString(ansi)); }
JsonLine& JsonLine::Number(const char* key, long long value) { return Raw(key, std::to_string(value)); }
JsonLine& JsonLine::Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
JsonLine& JsonLine::Null(const char* key) { return Raw(key, "null"); }

JsonLine& JsonLine::Raw(const char* key, const std::string& json) {
    body_ += ",\"";
    body_ += key;
    body_ += "\":";
    body_ += json;
    return *this;
}

JsonLine& JsonLine::Members(const std::string& json) {
    if (!json.empty()) body_ += "," + json;
    return *this;
}

bool JsonLog::Open(const std::string& path) {
    file_.reset(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    start_ = ::GetTickCount();
    return file_.valid();
}

void JsonLog::Write(const JsonLine& line) { WriteAt(Elapsed(), line); }

void JsonLog::WriteAt(DWORD t, const JsonLine& line) {
    const std::string text = "{\"t\":" + std::to_string(t) + "," + line.body() + "}\n";
    DWORD written = 0;
    ::WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::FlushFileBuffers(file_.get());
}

}  // namespace uidriver
