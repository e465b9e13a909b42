#include "release/block_index.h"

#include <algorithm>
#include <cstring>

#include "base/file_system.h"
#include "release/block_index_builder.h"
#include "release/rolling_checksum.h"
#include "release/strong_hash.h"

namespace release {

const char kIndexSuffix[] = ".blkidx";

namespace {

const char kMagic[8] = {'A', 'R', 'K', 'B', 'L', 'K', 'I', 'X'};
constexpr uint32_t kPlainVersion = 1;
constexpr uint32_t kSeededVersion = 2;
constexpr size_t kHeaderSize = 32;
constexpr size_t kEntrySize = 4 + kStrongBytes;
constexpr uint64_t kSmallestBlock = 512;
constexpr uint64_t kLargestBlock = 16 * 1024 * 1024;

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLe(const std::string& in, size_t offset, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(in[offset + i]);
    return value;
}

uint64_t BlockCount(uint64_t fileSize, uint64_t blockSize) { return (fileSize + blockSize - 1) / blockSize; }

bool IsSeedName(const std::string& name) {
    return !name.empty() && name.size() <= kMaxSeedNameBytes && name.find('\0') == std::string::npos;
}

bool WritesSeeds(const BlockIndex& index) {
    if (index.seeds.empty() || index.seeds.size() > kMaxSeeds) return false;
    for (const std::string& seed : index.seeds)
        if (!IsSeedName(seed)) return false;
    return true;
}

// The seeds section from `at` to the end of `bytes`, exactly. False for
// anything else.
bool ParseSeeds(const std::string& bytes, size_t at, std::vector<std::string>& seeds) {
    seeds.clear();
    if (bytes.size() < at + 4) return false;
    const uint64_t count = GetLe(bytes, at, 4);
    at += 4;
    if (count == 0 || count > kMaxSeeds) return false;
    for (uint64_t i = 0; i < count; ++i) {
        if (bytes.size() < at + 2) return false;
        const size_t length = static_cast<size_t>(GetLe(bytes, at, 2));
        at += 2;
        if (bytes.size() < at + length) return false;
        seeds.push_back(bytes.substr(at, length));
        at += length;
        if (!IsSeedName(seeds.back())) return false;
    }
    return at == bytes.size();
}

}  // namespace

uint32_t BlockIndex::BlockLength(size_t block) const {
    const uint64_t rest = fileSize - BlockOffset(block);
    return static_cast<uint32_t>(rest < blockSize ? rest : blockSize);
}

bool IsUsableBlockSize(uint64_t blockSize) { return blockSize >= kSmallestBlock && blockSize <= kLargestBlock; }

std::string SerializeIndex(const BlockIndex& index) {
    const bool seeded = WritesSeeds(index);
    std::string out(kMagic, sizeof(kMagic));
    PutLe(out, seeded ? kSeededVersion : kPlainVersion, 4);
    PutLe(out, index.blockSize, 4);
    PutLe(out, index.fileSize, 8);
    PutLe(out, kStrongBytes, 4);
    PutLe(out, index.blocks.size(), 4);
    for (const BlockSum& block : index.blocks) {
        PutLe(out, block.weak, 4);
        out.append(reinterpret_cast<const char*>(block.strong.data()), block.strong.size());
    }
    if (!seeded) return out;
    PutLe(out, index.seeds.size(), 4);
    for (const std::string& seed : index.seeds) {
        PutLe(out, seed.size(), 2);
        out += seed;
    }
    return out;
}

bool ParseIndex(const std::string& bytes, BlockIndex& index) {
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0) return false;
    const uint64_t blockSize = GetLe(bytes, 12, 4);
    const uint64_t fileSize = GetLe(bytes, 16, 8);
    const uint64_t count = GetLe(bytes, 28, 4);
    const uint64_t version = GetLe(bytes, 8, 4);
    if ((version != kPlainVersion && version != kSeededVersion) || !IsUsableBlockSize(blockSize) || fileSize == 0 ||
        GetLe(bytes, 24, 4) != kStrongBytes || count != BlockCount(fileSize, blockSize))
        return false;
    const uint64_t blocksEnd = kHeaderSize + count * kEntrySize;
    if (version == kPlainVersion ? bytes.size() != blocksEnd
                                 : bytes.size() <= blocksEnd ||
                                       !ParseSeeds(bytes, static_cast<size_t>(blocksEnd), index.seeds))
        return false;
    if (version == kPlainVersion) index.seeds.clear();
    index.blockSize = static_cast<uint32_t>(blockSize);
    index.fileSize = fileSize;
    index.blocks.assign(static_cast<size_t>(count), BlockSum());
    for (size_t i = 0; i < index.blocks.size(); ++i) {
        const size_t at = kHeaderSize + i * kEntrySize;
        index.blocks[i].weak = static_cast<uint32_t>(GetLe(bytes, at, 4));
        std::memcpy(index.blocks[i].strong.data(), bytes.data() + at + 4, kStrongBytes);
    }
    return true;
}

BlockIndexBuilder::BlockIndexBuilder(uint32_t blockSize, BlockIndex& index) : blockSize_(blockSize), index_(index) {
    index_.blockSize = blockSize;
    index_.fileSize = 0;
    index_.blocks.clear();
}

bool BlockIndexBuilder::AddBlock(const uint8_t* data, size_t length) {
    BlockSum sum;
    sum.weak = WeakChecksum(data, length);
    if (!hasher_.ok() || !hasher_.Hash(data, length, sum.strong)) return false;
    index_.blocks.push_back(sum);
    index_.fileSize += length;
    return true;
}

bool BlockIndexBuilder::Feed(const uint8_t* data, size_t length) {
    if (!carry_.empty()) {
        const size_t taken = std::min<size_t>(blockSize_ - carry_.size(), length);
        carry_.insert(carry_.end(), data, data + taken);
        data += taken;
        length -= taken;
        if (carry_.size() < blockSize_) return true;
        if (!AddBlock(carry_.data(), carry_.size())) return false;
        carry_.clear();
    }
    for (; length >= blockSize_; data += blockSize_, length -= blockSize_)
        if (!AddBlock(data, blockSize_)) return false;
    carry_.assign(data, data + length);
    return true;
}

bool BlockIndexBuilder::Finish() {
    if (!carry_.empty() && !AddBlock(carry_.data(), carry_.size())) return false;
    carry_.clear();
    return index_.fileSize > 0;
}

bool BuildIndex(const std::string& path, uint32_t blockSize, BlockIndex& index) {
    if (!IsUsableBlockSize(blockSize)) return false;
    base::ReadingFile file(path, base::ReadingFile::Sharing::kReaders, true);
    BlockIndexBuilder builder(blockSize, index);
    if (!file.ok()) return false;
    std::vector<uint8_t> block(blockSize);
    for (;;) {
        // A block is read whole (a read may return less than asked).
        size_t filled = 0;
        if (!file.ReadFull(block.data(), blockSize, filled)) return false;
        if (filled == 0) break;
        if (!builder.Feed(block.data(), filled)) return false;
        if (filled < blockSize) break;
    }
    return builder.Finish();
}

}  // namespace release
