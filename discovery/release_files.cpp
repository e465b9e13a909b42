#include "discovery/release_files.h"

#include "base/ansi_text.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"

namespace discovery {

ReleaseFiles ReleaseFiles::FromList(const std::string& listPath, const std::string& installFolder,
                                    const std::map<std::string, integrity::SignedFile>& signedFiles) {
    ReleaseFiles files;
    release::CIniReader list(listPath);
    for (const std::string& section : base::StringList(list.GetIniSectionNames())) {
        for (const std::string& key : list.GetIniSectionKeys(section, "=")) {
            release::ListEntry entry;
            release::ParseListKey(key, entry);
            const auto known = signedFiles.find(entry.remoteName);
            if (known != signedFiles.end())
                files.byPath_[base::ToLowerAnsi(release::FullPath(entry, installFolder))] = known->second;
        }
    }
    return files;
}

const integrity::SignedFile* ReleaseFiles::Find(const std::string& fullPath) const {
    const auto found = byPath_.find(base::ToLowerAnsi(fullPath));
    return found == byPath_.end() ? nullptr : &found->second;
}

}  // namespace discovery
