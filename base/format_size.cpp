#include "base/format_size.h"

#include "base/ansi_text.h"

namespace base {
namespace {

const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
constexpr size_t kLastUnit = sizeof(kUnits) / sizeof(kUnits[0]) - 1;

// floor(remainder / 2^shift * 100) without floating point, which loses the
// low bits of counts near 2^64 and would round 15.99EB up to 16.00EB.
uint64_t Hundredths(uint64_t remainder, unsigned shift) {
    if (shift <= 50) return (remainder * 100) >> shift;
    const uint64_t high = (remainder >> 32) * 100 + (((remainder & 0xFFFFFFFFu) * 100) >> 32);
    return high >> (shift - 32);
}

}  // namespace

std::string FormatSize(uint64_t bytes) {
    uint64_t quotient = bytes;
    unsigned shift = 0;
    size_t unit = 0;
    while (quotient > 1024) {  // a 64-bit count ends at most at EB
        quotient >>= 10;
        shift += 10;
        ++unit;
    }
    // The fraction is truncated to hundredths, never rounded up.
    const uint64_t hundredths = Hundredths(bytes - (quotient << shift), shift);
    return base::FormatText("%0.2f%s", static_cast<double>(quotient) + static_cast<double>(hundredths) / 100.0,
                            kUnits[unit]);
}

std::string FormatSize(uint32_t bytes) { return FormatSize(static_cast<uint64_t>(bytes)); }

std::string FormatSize(double bytes) {
    size_t unit = 0;
    while (bytes > 1024.0 && unit < kLastUnit) {
        bytes /= 1024.0;
        ++unit;
    }
    return base::FormatText("%0.2f%s", bytes, kUnits[unit]);
}

std::string FormatFileBytes(uint64_t done, uint64_t total) {
    return base::FormatText("%s / %s", FormatSize(done).c_str(), FormatSize(total).c_str());
}

std::string FormatRunSummary(uint64_t done, uint64_t total, double rate, uint64_t secondsLeft) {
    return base::FormatText("%s / %s (%s/s / %llu초 남음)", FormatSize(done).c_str(), FormatSize(total).c_str(),
                            FormatSize(rate).c_str(), static_cast<unsigned long long>(secondsLeft));
}

}  // namespace base
