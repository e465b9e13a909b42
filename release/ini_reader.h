// Reads the update lists, which are INI files. Each section is fetched from
// the profile functions once and parsed here, so reading every value of a
// list costs time in proportion to its size; lists and values of any length
// are read whole.
#pragma once

#include <map>
#include <string>

#include "base/split_string.h"

namespace release {

// The parsing half of the reader, on what the profile functions return.
// The non-empty NUL-terminated items of a list that ends with an empty one
// (or with the end of the `size` bytes).
base::StringList SplitNulList(const char* data, size_t size);
// The keys of a section's lines: see GetIniSectionKeys.
base::StringList ParseSectionKeys(const base::StringList& lines, const std::string& separator);
// Lower-cased, trimmed key -> trimmed value without one pair of enclosing
// quotes; the first line of a key wins; lines without "=" are left out.
std::map<std::string, std::string> ParseSectionValues(const base::StringList& lines);

class CIniReader {
public:
    explicit CIniReader(std::string path);

    // Section names in file order; also kept in SectionNames().
    const base::StringList& GetIniSectionNames();
    // Keys of a section in file order, duplicates included. With a separator,
    // a line counts only when the separator stands after its first character,
    // and the text before it is the key; with an empty separator every line
    // is taken whole. Also kept in SectionKeys().
    const base::StringList& GetIniSectionKeys(const std::string& section, const std::string& separator = "=");
    // The value of a key (first line wins, key case ignored, as the profile
    // functions do); empty when absent.
    std::string ReadIniValue(const std::string& section, const std::string& key);
    // Zero-based "|"-separated field of the value; empty past the last field.
    std::string ReadIniField(const std::string& section, const std::string& key, size_t field);

    const std::string& Path() const { return path_; }
    const base::StringList& SectionNames() const { return sectionNames_; }
    const base::StringList& SectionKeys() const { return keys_; }

private:
    // Makes `section` the parsed section that value look-ups use.
    void LoadValues(const std::string& section);
    void StoreValues(const std::string& section, const base::StringList& lines);

    std::string path_;
    base::StringList sectionNames_;
    base::StringList keys_;

    bool valuesLoaded_ = false;
    std::string valuesSection_;
    std::map<std::string, std::string> values_;  // lower-cased key -> value
};

}  // namespace release
