#include "discovery/release_files.h"

#include "base/ansi_text.h"
#include "discovery/ini_reader.h"
#include "discovery/list_entry.h"

namespace discovery {

ReleaseFiles ReleaseFiles::FromList(const std::string& listPath, const std::string& installFolder,
                                    const std::map<std::string, integrity::SignedFile>& signedFiles) {
    ReleaseFiles files;
    CIniReader list(listPath);
    for (const std::string& section : base::StringList(list.GetIniSectionNames())) {
        for (const std::string& key : list.GetIniSectionKeys(section, "=")) {
            ListEntry entry;
            ParseListKey(key, entry);
            const auto known = signedFiles.find(entry.remoteName);
            if (known != signedFiles.end())
                files.byPath_[base::ToLowerAnsi(FullPath(entry, installFolder))] = known->second;
        }
    }
    return files;
}

const integrity::SignedFile* ReleaseFiles::Find(const std::string& fullPath) const {
    const auto found = byPath_.find(base::ToLowerAnsi(fullPath));
    return found == byPath_.end() ? nullptr : &found->second;
}

}  // namespace discovery
