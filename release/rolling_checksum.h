// The weak checksum of a block: two 16-bit sums over the bytes, one plain and
// one weighted by position, that can be moved along a file one byte at a
// time in constant time. Cheap enough to try at every offset of an old file;
// a hit is only a candidate until the block's strong hash agrees.
#pragma once

#include <cstddef>
#include <cstdint>

namespace release {

class RollingChecksum {
public:
    // The checksum of `count` bytes.
    void Reset(const uint8_t* data, size_t count);
    // Moves the window one byte on: `out` leaves at the front, `in` joins at the end.
    void Roll(uint8_t out, uint8_t in) {
        a_ = (a_ - Weight(out) + Weight(in)) & 0xFFFF;
        b_ = (b_ - static_cast<uint32_t>(count_) * Weight(out) + a_) & 0xFFFF;
    }
    uint32_t Value() const { return a_ | (b_ << 16); }

private:
    // An offset per byte keeps runs of zero bytes from summing to zero.
    static uint32_t Weight(uint8_t byte) { return static_cast<uint32_t>(byte) + 31; }

    uint32_t a_ = 0;
    uint32_t b_ = 0;
    size_t count_ = 0;
};

uint32_t WeakChecksum(const uint8_t* data, size_t count);

}  // namespace release
