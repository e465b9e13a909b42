#include "discovery/ini_reader.h"

#include <windows.h>

#include <cstring>
#include <functional>
#include <vector>

#include "base/ansi_text.h"

namespace discovery {
namespace {

constexpr DWORD kInitialBuffer = 100000;

// Calls a profile function that fills a double-NUL-terminated list, growing
// the buffer until the list fits (the functions return size - 2 when cut).
base::StringList ReadNulList(const std::function<DWORD(char*, DWORD)>& call, unsigned long& count) {
    std::vector<char> buffer;
    for (DWORD size = kInitialBuffer;; size *= 2) {
        buffer.assign(size, '\0');
        count = call(buffer.data(), size);
        if (count < size - 2) break;
    }
    base::StringList items;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) items.emplace_back(p);
    return items;
}

// Profile values lose one pair of enclosing quotes, as GetPrivateProfileString does.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

CIniReader::CIniReader(std::string path) : path_(std::move(path)) {}

const base::StringList& CIniReader::GetIniSectionNames() {
    sectionNames_ = ReadNulList(
        [this](char* buffer, DWORD size) { return ::GetPrivateProfileSectionNamesA(buffer, size, path_.c_str()); },
        lastCount_);
    return sectionNames_;
}

base::StringList CIniReader::ReadSectionLines(const std::string& section) {
    return ReadNulList(
        [&](char* buffer, DWORD size) {
            return ::GetPrivateProfileSectionA(section.c_str(), buffer, size, path_.c_str());
        },
        lastCount_);
}

const base::StringList& CIniReader::GetIniSectionKeys(const std::string& section, const std::string& separator) {
    keys_.clear();
    const base::StringList lines = ReadSectionLines(section);
    StoreValues(section, lines);
    for (const std::string& line : lines) {
        if (separator.empty()) {
            keys_.push_back(line);
            continue;
        }
        const size_t pos = line.find(separator);
        if (pos != std::string::npos && pos >= 1) keys_.push_back(line.substr(0, pos));
    }
    return keys_;
}

void CIniReader::LoadValues(const std::string& section) {
    if (valuesLoaded_ && base::EqualsNoCase(valuesSection_, section)) return;
    StoreValues(section, ReadSectionLines(section));
}

void CIniReader::StoreValues(const std::string& section, const base::StringList& lines) {
    values_.clear();
    for (const std::string& line : lines) {
        const size_t pos = line.find('=');
        if (pos == std::string::npos) continue;
        const std::string key = base::ToLowerAnsi(base::Trim(line.substr(0, pos)));
        values_.emplace(key, Unquote(base::Trim(line.substr(pos + 1))));
    }
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

}  // namespace discovery
