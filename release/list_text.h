// The text of the update list as the updater reads it: CR LF lines, one
// "[section]" line per section, entries "remoteName|localPath=version|size|
// fingerprint|revision", and "|<block index size>" after them for a file
// published with a block index, followed by "|<seed count>" when that index
// names seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace release {

extern const std::string kPartialSuffix;    // temporary copy while writing

struct PublishedEntry {
    std::string remoteName;  // "/"-separated
    std::string localPath;   // "\"-separated; empty when it is the remote name itself
    std::string version;     // product version text, empty without a version resource
    uint32_t size = 0;
    std::string fingerprint;
    std::string revision;
    uint32_t blockIndexSize = 0;  // bytes of "<remoteName>.blkidx"; 0: the file has no block index
    uint32_t indexSeeds = 0;      // seeds that index names; 0: none
};

struct PublishedSection {
    std::string name;
    std::vector<PublishedEntry> entries;
};

std::string ListKey(const PublishedEntry& entry);
std::string ListValue(const PublishedEntry& entry);
std::string BuildListText(const std::vector<PublishedSection>& sections);

// The list describing itself, so that the updater installs it as its local
// list. A first comment line carries a digest of the entries where the
// fingerprint samples, so a changed list has a new fingerprint. The entry is
// appended to the last section; its size is written with a
// fixed width (leading zeros read the same) and comment lines place it where
// the sampled fingerprint does not look: past the first 8 bytes of a
// 1024-byte block and before the hashed tail. The fingerprint then does not
// depend on the entry, so it can be computed from the text with the
// placeholder and filled in afterwards.
struct SelfDescribedList {
    std::string text;              // with a zero fingerprint placeholder
    size_t fingerprintOffset = 0;  // where the 16 fingerprint characters go
};
SelfDescribedList AppendSelfEntry(const std::string& entries);
void FillSelfFingerprint(SelfDescribedList& list, const std::string& fingerprint);

}  // namespace release
