#include "release/ini_reader.h"

#include <cstring>

#include "base/ansi_text.h"
#include "release/profile_file.h"

namespace release {
namespace {

// Profile values lose one pair of enclosing quotes, as GetPrivateProfileString does.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

base::StringList SplitNulList(const char* data, size_t size) {
    base::StringList items;
    for (size_t at = 0; at < size && data[at];) {
        const void* nul = std::memchr(data + at, '\0', size - at);
        const size_t end = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size;
        items.emplace_back(data + at, end - at);
        at = end + 1;
    }
    return items;
}

base::StringList ParseSectionKeys(const base::StringList& lines, const std::string& separator) {
    base::StringList keys;
    for (const std::string& line : lines) {
        if (separator.empty()) {
            keys.push_back(line);
            continue;
        }
        const size_t pos = line.find(separator);
        if (pos != std::string::npos && pos >= 1) keys.push_back(line.substr(0, pos));
    }
    return keys;
}

std::map<std::string, std::string> ParseSectionValues(const base::StringList& lines) {
    std::map<std::string, std::string> values;
    for (const std::string& line : lines) {
        const size_t pos = line.find('=');
        if (pos == std::string::npos) continue;
        const std::string key = base::ToLowerAnsi(base::Trim(line.substr(0, pos)));
        values.emplace(key, Unquote(base::Trim(line.substr(pos + 1))));
    }
    return values;
}

CIniReader::CIniReader(std::string path) : path_(std::move(path)) {}

const base::StringList& CIniReader::GetIniSectionNames() {
    sectionNames_ = ProfileSectionNames(path_);
    return sectionNames_;
}

const base::StringList& CIniReader::GetIniSectionKeys(const std::string& section, const std::string& separator) {
    const base::StringList lines = ProfileSectionLines(path_, section);
    StoreValues(section, lines);
    keys_ = ParseSectionKeys(lines, separator);
    return keys_;
}

void CIniReader::LoadValues(const std::string& section) {
    if (valuesLoaded_ && base::EqualsNoCase(valuesSection_, section)) return;
    StoreValues(section, ProfileSectionLines(path_, section));
}

void CIniReader::StoreValues(const std::string& section, const base::StringList& lines) {
    values_ = ParseSectionValues(lines);
    valuesSection_ = section;
    valuesLoaded_ = true;
}

std::string CIniReader::ReadIniValue(const std::string& section, const std::string& key) {
    LoadValues(section);
    auto it = values_.find(base::ToLowerAnsi(base::Trim(key)));
    return it == values_.end() ? std::string() : it->second;
}

std::string CIniReader::ReadIniField(const std::string& section, const std::string& key, size_t field) {
    base::StringList fields;
    base::SplitString(ReadIniValue(section, key), "|", fields);
    return base::GetListItem(fields, field);
}

}  // namespace release
