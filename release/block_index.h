// The block index the release tool publishes beside a large file of a
// release, "<name>.blkidx": the file cut into blocks of one size, each with
// its weak rolling checksum and the first 16 bytes of its SHA-256. Binary,
// little-endian:
//
//   offset  size  field
//        0     8  "ARKBLKIX"
//        8     4  format version, 1
//       12     4  block size in bytes (512 .. 16 MiB)
//       16     8  size of the file in bytes
//       24     4  strong hash bytes per block, 16
//       28     4  block count, file size / block size rounded up
//       32  20*n  per block: weak checksum (4), SHA-256 of the block's bytes,
//                 its first 16 bytes (16); the last block may be short and is
//                 summed over its own bytes only
//
// An index that names seeds (files of the previous release that hold some
// of these blocks, by their paths below the install folder) is version 2
// and carries them after the blocks:
//
//   32+20*n    4  seed count, 1 .. 16
//              then per seed: its name's length in bytes (2), 1 .. 259, and
//              the name, "/"-separated, without a NUL
//
// An index without seeds is always version 1, so it reads as before.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace release {

extern const char kIndexSuffix[];  // ".blkidx"
// The most an index may hold, room for a 4 GiB file (the most a list can
// name) in blocks of 8 KiB. A file whose index is larger is updated whole.
constexpr uint64_t kMaxIndexBytes = 16 * 1024 * 1024;
constexpr uint32_t kDefaultBlockSize = 64 * 1024;
constexpr size_t kStrongBytes = 16;
constexpr size_t kMaxSeeds = 16;
constexpr size_t kMaxSeedNameBytes = 259;
using StrongHash = std::array<uint8_t, kStrongBytes>;

struct BlockSum {
    uint32_t weak = 0;
    StrongHash strong{};
};

struct BlockIndex {
    uint32_t blockSize = 0;
    uint64_t fileSize = 0;
    std::vector<BlockSum> blocks;
    std::vector<std::string> seeds;  // as the index names them; empty: a version 1 index

    // Bytes of block `block` (the last one may be short).
    uint32_t BlockLength(size_t block) const;
    uint64_t BlockOffset(size_t block) const { return static_cast<uint64_t>(block) * blockSize; }
};

bool IsUsableBlockSize(uint64_t blockSize);
// Version 1 without seeds, 2 with them. Seeds beyond the bounds above are
// the caller's mistake and are not written.
std::string SerializeIndex(const BlockIndex& index);
// Strict: the exact layout above, nothing more or less. False otherwise.
bool ParseIndex(const std::string& bytes, BlockIndex& index);

// Reads the file once. False when it cannot be read to the end, the block
// size is unusable or hashing failed.
bool BuildIndex(const std::string& path, uint32_t blockSize, BlockIndex& index);


}  // namespace release
