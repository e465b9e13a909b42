// One file of the update list: where it is on the server and on disk, and
// what identifies the wanted copy.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace release {

struct ListEntry {
    int32_t index = 0;        // sequence number among the selected entries; key in the maps
    std::string remoteName;   // appended to the server URL as is (may hold "/")
    std::string localPath;    // below the install folder, or absolute in the system folder
    std::string fingerprint;  // value field 2
    std::string revision;     // value field 3; overrides the other checks against the local list
    std::string version;      // value field 0
    uint32_t size = 0;        // value field 1
    uint32_t blockIndexSize = 0;  // value field 4: bytes of the server's block index "<remoteName>.blkidx"; 0: none
    uint32_t indexSeeds = 0;      // value field 5: how many seeds that index names; 0: none
    bool isSystemPath = false;  // localPath came from a "$system$" name and is absolute
};

using EntryMap = std::map<int32_t, ListEntry>;

// Splits a list key "remoteName|localPath" (or a single name used for both).
// "/" in the local path becomes "\"; when it holds a "$system$" marker (any
// case), the text after the marker is put behind the system folder (no "\"
// added), making the path absolute.
void ParseListKey(const std::string& key, ListEntry& entry);
// Fills version, size, fingerprint, revision, the block index size and its
// seed count from a value "version|size|fingerprint|revision|blockIndexSize|
// indexSeeds"; missing fields read as empty (0).
void ParseListValue(const std::string& value, ListEntry& entry);
// The entry's path on disk: localPath itself for system files, else below
// the install folder.
std::string FullPath(const ListEntry& entry, const std::string& installFolder);
// The entry's path stays below the install folder, or for a "$system$" entry
// below the system folder ("$system$x.dll", glued to the folder's name, does
// not).
bool StaysInItsFolder(const ListEntry& entry);

}  // namespace release
