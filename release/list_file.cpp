#include "release/list_file.h"

#include "release/ini_reader.h"

namespace release {

std::vector<ListedEntry> ReadListFile(const std::string& path) {
    CIniReader reader(path);
    std::vector<ListedEntry> entries;
    const base::StringList sections = reader.GetIniSectionNames();
    for (const std::string& section : sections) {
        const base::StringList keys = reader.GetIniSectionKeys(section);
        for (const std::string& key : keys) {
            ListedEntry listed;
            listed.section = section;
            listed.key = key;
            ParseListKey(key, listed.entry);
            ParseListValue(reader.ReadIniValue(section, key), listed.entry);
            listed.entry.index = static_cast<int32_t>(entries.size());
            entries.push_back(listed);
        }
    }
    return entries;
}

}  // namespace release
