// What the tool learns of a release's files in one read of each: the
// fingerprint the list gives, the size and SHA-256 the signature gives and
// the block index, the files read on as many threads as the machine has
// cores. Every later step takes them from here, so what is listed, indexed
// and signed is one and the same read of the bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "integrity/release_signature.h"
#include "release/block_index.h"
#include "tools/release_list/release_plan.h"

namespace release_list {

// The list stores sizes as unsigned 32-bit numbers: a larger file cannot be
// published.
constexpr uint64_t kLargestListedSize = 0xFFFFFFFFull;

struct FileDigests {
    bool read = false;  // read to its end; nothing below holds otherwise
    uint64_t size = 0;
    std::string fingerprint;
    integrity::SignedFile signedFile;  // with `sha256` asked for, and a size below 4 GiB
    bool indexed = false;              // the size reached the index threshold
    release::BlockIndex index;
};

struct DigestsWanted {
    bool sha256 = false;
    uint64_t indexThreshold = 0;  // 0: no indexes
    uint32_t blockSize = 0;
};

// By remote name. A file that is empty or of 4 GiB and more is not read: the
// list cannot describe it, and its description says so.
std::map<std::string, FileDigests> DigestFiles(const ReleasePlan& plan, const DigestsWanted& wanted);

}  // namespace release_list
