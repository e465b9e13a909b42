#include "release/pe_version.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_system.h"

namespace release {
namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kVersionName = 1;   // VS_VERSION_INFO
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr uint32_t kNamedEntry = 0x80000000u;
constexpr size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO
constexpr size_t kFixedInfoOffset = 40;  // after the lengths, the type and L"VS_VERSION_INFO", aligned
// Resource directories nest three deep; a made-up file cannot make one loop.
constexpr int kResourceLevels = 3;

// Little-endian reads that fail instead of reading past the bytes.
class Bytes {
public:
    explicit Bytes(const PeSource& source) : source_(source) {}
    bool Has(uint64_t offset, uint64_t length) const {
        return offset <= source_.size && length <= source_.size - offset;
    }
    bool U16(uint64_t offset, uint32_t& value) const { return Read(offset, 2, value); }
    bool U32(uint64_t offset, uint32_t& value) const { return Read(offset, 4, value); }

private:
    bool Read(uint64_t offset, int width, uint32_t& value) const {
        unsigned char bytes[4] = {};
        if (!Has(offset, static_cast<uint64_t>(width)) || !source_.read(offset, bytes, static_cast<size_t>(width)))
            return false;
        value = 0;
        for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[i];
        return true;
    }
    const PeSource& source_;
};

struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

class PeImage {
public:
    explicit PeImage(const PeSource& source) : bytes_(source) {}

    bool Open() {
        uint32_t mz = 0, peOffset = 0, signature = 0;
        if (!bytes_.U16(0, mz) || mz != 0x5A4D || !bytes_.U32(0x3C, peOffset)) return false;
        if (!bytes_.U32(peOffset, signature) || signature != 0x00004550) return false;
        const uint64_t fileHeader = static_cast<uint64_t>(peOffset) + 4;
        uint32_t sections = 0, optionalSize = 0, magic = 0;
        if (!bytes_.U16(fileHeader + 2, sections) || !bytes_.U16(fileHeader + 16, optionalSize)) return false;
        const uint64_t optional = fileHeader + 20;
        if (!bytes_.U16(optional, magic)) return false;
        // PE32 and PE32+ differ in where the data directories begin.
        const uint64_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
        uint32_t directoryCount = 0;
        if (directories == 0 || !bytes_.U32(optional + directories - 4, directoryCount) || directoryCount < 3)
            return false;
        if (directories + 3 * 8 > optionalSize) return false;
        if (!bytes_.U32(optional + directories + 2 * 8, resourceRva_)) return false;
        const uint64_t table = optional + optionalSize;
        for (uint32_t i = 0; i < sections; ++i) {
            const uint64_t header = table + 40ull * i;
            Section section;
            if (!bytes_.U32(header + 8, section.virtualSize) || !bytes_.U32(header + 12, section.virtualAddress) ||
                !bytes_.U32(header + 16, section.rawSize) || !bytes_.U32(header + 20, section.rawOffset))
                return false;
            sections_.push_back(section);
        }
        return resourceRva_ != 0;
    }

    // The file offset of `length` bytes at `rva`, all of them within one
    // section's bytes in the file.
    bool OffsetOf(uint32_t rva, uint64_t length, uint64_t& offset) const {
        for (const Section& section : sections_) {
            const uint64_t span = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
            if (rva < section.virtualAddress || rva - section.virtualAddress >= span) continue;
            const uint64_t inSection = rva - section.virtualAddress;
            if (inSection + length > section.rawSize) return false;
            offset = section.rawOffset + inSection;
            return bytes_.Has(offset, length);
        }
        return false;
    }

    // The data entry of the version resource: type 16, then name 1, then the
    // neutral language or else the first one.
    bool FindVersionData(uint32_t& dataRva, uint32_t& dataSize) const {
        uint64_t directory = 0;
        if (!OffsetOf(resourceRva_, 16, directory)) return false;
        const uint64_t root = directory;
        const uint32_t wanted[kResourceLevels] = {kVersionType, kVersionName, 0};
        for (int level = 0; level < kResourceLevels; ++level) {
            uint32_t entry = 0;
            if (!FindEntry(directory, wanted[level], level == kResourceLevels - 1, entry)) return false;
            const bool last = level == kResourceLevels - 1;
            if (((entry & kSubdirectory) != 0) == last) return false;
            const uint64_t next = root + (entry & ~kSubdirectory);
            if (!last) {
                directory = next;
                continue;
            }
            return bytes_.U32(next, dataRva) && bytes_.U32(next + 4, dataSize);
        }
        return false;
    }

    const Bytes& bytes() const { return bytes_; }

private:
    // The OffsetToData of the entry with id `id` in the directory at
    // `directory` (a file offset); with `anyAsLast`, the neutral language
    // (id 0) or else the first entry.
    bool FindEntry(uint64_t directory, uint32_t id, bool anyAsLast, uint32_t& offsetToData) const {
        uint32_t named = 0, ids = 0;
        if (!bytes_.U16(directory + 12, named) || !bytes_.U16(directory + 14, ids)) return false;
        const uint64_t first = directory + 16;
        bool found = false;
        for (uint32_t i = 0; i < named + ids; ++i) {
            uint32_t name = 0, data = 0;
            if (!bytes_.U32(first + 8ull * i, name) || !bytes_.U32(first + 8ull * i + 4, data)) return false;
            if (anyAsLast && !found) {
                offsetToData = data;
                found = true;
            }
            if ((name & kNamedEntry) == 0 && name == id) {
                offsetToData = data;
                return true;
            }
        }
        return found;
    }

    Bytes bytes_;
    uint32_t resourceRva_ = 0;
    std::vector<Section> sections_;
};

// A 16-bit (NE) module's version block: type 16 in the resource table, its
// resource with id 1, at offsets counted in units of the table's shift.
bool FindNeVersionBlock(const Bytes& bytes, uint64_t header, uint64_t& block, uint64_t& size) {
    uint32_t table = 0, shift = 0;
    if (!bytes.U16(header + 0x24, table) || !bytes.U16(header + table, shift) || shift > 16) return false;
    uint64_t type = header + table + 2;
    // Every type entry takes at least 8 bytes, so a made-up table ends at the bytes' end.
    for (;;) {
        uint32_t id = 0, count = 0;
        if (!bytes.U16(type, id) || id == 0 || !bytes.U16(type + 2, count)) return false;
        const uint64_t names = type + 8;
        if (id == (0x8000 | kVersionType)) {
            for (uint32_t i = 0; i < count; ++i) {
                uint32_t offset = 0, length = 0, name = 0;
                const uint64_t entry = names + 12ull * i;
                if (!bytes.U16(entry, offset) || !bytes.U16(entry + 2, length) || !bytes.U16(entry + 6, name))
                    return false;
                if (name != (0x8000 | kVersionName)) continue;
                block = static_cast<uint64_t>(offset) << shift;
                size = static_cast<uint64_t>(length) << shift;
                return true;
            }
            return false;
        }
        type = names + 12ull * count;
    }
}

// The 16-bit block holds its fixed part after the lengths and the ANSI key
// "VS_VERSION_INFO", 20 bytes in all.
bool ReadNeProductVersion(const Bytes& bytes, uint64_t header, uint32_t& versionMs, uint32_t& versionLs) {
    constexpr uint64_t kNeFixedInfoOffset = 20;
    uint64_t block = 0, size = 0;
    uint32_t valueLength = 0;
    if (!FindNeVersionBlock(bytes, header, block, size) || size < kNeFixedInfoOffset + kFixedInfoSize ||
        !bytes.Has(block, kNeFixedInfoOffset + kFixedInfoSize) || !bytes.U16(block + 2, valueLength) ||
        valueLength < kFixedInfoSize)
        return false;
    return bytes.U32(block + kNeFixedInfoOffset + 16, versionMs) && bytes.U32(block + kNeFixedInfoOffset + 20, versionLs);
}

}  // namespace

bool ReadPeProductVersion(const PeSource& source, uint32_t& versionMs, uint32_t& versionLs) {
    const Bytes bytes(source);
    uint32_t mz = 0, header = 0, signature = 0;
    if (bytes.U16(0, mz) && mz == 0x5A4D && bytes.U32(0x3C, header) && bytes.U16(header, signature) &&
        signature == 0x454E)  // "NE"
        return ReadNeProductVersion(bytes, header, versionMs, versionLs);
    PeImage pe(source);
    uint32_t dataRva = 0, dataSize = 0;
    if (!pe.Open() || !pe.FindVersionData(dataRva, dataSize)) return false;
    uint64_t block = 0;
    if (dataSize < kFixedInfoOffset + kFixedInfoSize || !pe.OffsetOf(dataRva, dataSize, block)) return false;
    uint32_t blockLength = 0, valueLength = 0;
    if (!pe.bytes().U16(block, blockLength) || !pe.bytes().U16(block + 2, valueLength)) return false;
    if (valueLength < kFixedInfoSize || blockLength < kFixedInfoOffset + kFixedInfoSize) return false;
    // dwProductVersionMS and ...LS follow the signature, the structure
    // version and the file version's two words.
    return pe.bytes().U32(block + kFixedInfoOffset + 16, versionMs) &&
           pe.bytes().U32(block + kFixedInfoOffset + 20, versionLs);
}

bool ReadPeProductVersion(const std::string& image, uint32_t& versionMs, uint32_t& versionLs) {
    const PeSource source{image.size(), [&image](uint64_t offset, void* to, size_t length) {
                              std::memcpy(to, image.data() + offset, length);
                              return true;
                          }};
    return ReadPeProductVersion(source, versionMs, versionLs);
}

// Only the headers and the resource directory are read, a few small pieces
// however large the file.
bool ReadPeProductVersionOfFile(const std::string& path, uint32_t& versionMs, uint32_t& versionLs) {
    base::ReadingFile file(path, base::ReadingFile::Sharing::kReadersAndWriters, false);
    uint64_t size = 0;
    if (!file.Size(size)) return false;
    const PeSource source{size, [&file](uint64_t offset, void* to, size_t length) {
                              size_t got = 0;
                              return file.Seek(offset) && file.ReadFull(to, length, got) && got == length;
                          }};
    return ReadPeProductVersion(source, versionMs, versionLs);
}

std::string ProductVersionText(uint32_t versionMs, uint32_t versionLs) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d.%d%d%d", static_cast<int>(versionMs >> 16),
                  static_cast<int>(versionMs & 0xFFFF), static_cast<int>(versionLs >> 16),
                  static_cast<int>(versionLs & 0xFFFF));
    return text;
}

}  // namespace release
