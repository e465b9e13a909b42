// Just enough JSON to read the driver's log lines. Strings are handed out in
// the ANSI code page, like every other text of the tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace uidriver {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> fields;

    // Field access that never throws: a missing field reads as null.
    const JsonValue& operator[](const std::string& key) const;
    bool Has(const std::string& key) const { return fields.count(key) != 0; }
    std::string Str(const std::string& key) const { return (*this)[key].text; }
    long long Int(const std::string& key) const { return static_cast<long long>((*this)[key].number); }
    bool Bool(const std::string& key) const { return (*this)[key].boolean; }
    bool IsNull(const std::string& key) const { return (*this)[key].kind == Kind::Null; }
};

// False when `utf8` is not one complete JSON value.
bool ParseJson(const std::string& utf8, JsonValue& out);

}  // namespace uidriver
