#include "release/rolling_checksum.h"

namespace release {

void RollingChecksum::Reset(const uint8_t* data, size_t count) {
    uint32_t a = 0, b = 0;
    for (size_t i = 0; i < count; ++i) {
        a += Weight(data[i]);
        b += a;
    }
    a_ = a & 0xFFFF;
    b_ = b & 0xFFFF;
    count_ = count;
}

uint32_t WeakChecksum(const uint8_t* data, size_t count) {
    RollingChecksum sum;
    sum.Reset(data, count);
    return sum.Value();
}

}  // namespace release
