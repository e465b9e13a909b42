// MD5 message digest (RFC 1321). Each object holds its own state, so
// separate computations may run at the same time on different threads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace release {

using Md5Digest = std::array<uint8_t, 16>;

class Md5 {
public:
    Md5();
    void Update(const void* data, size_t length);
    // Pads, appends the bit length and returns the digest. The object is
    // reset afterwards and may start a new computation.
    Md5Digest Finish();

private:
    void Reset();
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t byteCount_;
    uint8_t buffer_[64];
};

}  // namespace release
