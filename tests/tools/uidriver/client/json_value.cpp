#include "tests/tools/uidriver/client/json_value.h"

#include <cstdlib>

#include "base/ansi_text.h"

namespace uidriver {
namespace {

class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}

    bool ParseAll(JsonValue& out) {
        if (!Value(out)) return false;
        Blank();
        return i_ == s_.size();
    }

private:
    void Blank() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (s_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }
    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string& utf8) {
        if (s_[i_] != '"') return false;
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c != '\\') {
                utf8 += c;
                continue;
            }
            if (i_ >= s_.size()) return false;
            c = s_[i_++];
            switch (c) {
            case 'n': utf8 += '\n'; break;
            case 'r': utf8 += '\r'; break;
            case 't': utf8 += '\t'; break;
            case 'b': utf8 += '\b'; break;
            case 'f': utf8 += '\f'; break;
            case 'u':
                if (i_ + 4 > s_.size()) return false;
                AppendUtf8(utf8, static_cast<unsigned>(std::strtoul(s_.substr(i_, 4).c_str(), nullptr, 16)));
                i_ += 4;
                break;
            default: utf8 += c;
            }
        }
        if (i_ >= s_.size()) return false;
        ++i_;
        return true;
    }
    bool Value(JsonValue& out) {
        Blank();
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return Object(out);
        if (c == '[') return Array(out);
        if (c == '"') {
            std::string utf8;
            if (!String(utf8)) return false;
            out.kind = JsonValue::Kind::String;
            out.text = base::Utf8ToAnsi(utf8);
            return true;
        }
        if (Literal("true")) {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = true;
            return true;
        }
        if (Literal("false")) {
            out.kind = JsonValue::Kind::Bool;
            return true;
        }
        if (Literal("null")) return true;
        char* end = nullptr;
        out.number = std::strtod(s_.c_str() + i_, &end);
        if (end == s_.c_str() + i_) return false;
        out.kind = JsonValue::Kind::Number;
        i_ = static_cast<size_t>(end - s_.c_str());
        return true;
    }
    bool Array(JsonValue& out) {
        out.kind = JsonValue::Kind::Array;
        ++i_;
        Blank();
        if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
        while (true) {
            JsonValue item;
            if (!Value(item)) return false;
            out.items.push_back(std::move(item));
            Blank();
            if (i_ >= s_.size()) return false;
            if (s_[i_++] == ']') return true;
            if (s_[i_ - 1] != ',') return false;
        }
    }
    bool Object(JsonValue& out) {
        out.kind = JsonValue::Kind::Object;
        ++i_;
        Blank();
        if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
        while (true) {
            Blank();
            std::string key;
            if (i_ >= s_.size() || !String(key)) return false;
            Blank();
            if (i_ >= s_.size() || s_[i_++] != ':') return false;
            JsonValue value;
            if (!Value(value)) return false;
            out.fields[base::Utf8ToAnsi(key)] = std::move(value);
            Blank();
            if (i_ >= s_.size()) return false;
            if (s_[i_++] == '}') return true;
            if (s_[i_ - 1] != ',') return false;
        }
    }

    const std::string& s_;
    size_t i_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
    static const JsonValue null;
    auto it = fields.find(key);
    return it == fields.end() ? null : it->second;
}

bool ParseJson(const std::string& utf8, JsonValue& out) {
    out = JsonValue();
    return Parser(utf8).ParseAll(out);
}

}  // namespace uidriver
