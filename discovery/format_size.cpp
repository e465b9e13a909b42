#include "discovery/format_size.h"

#include "base/ansi_text.h"

namespace discovery {
namespace {

const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
constexpr size_t kLastUnit = sizeof(kUnits) / sizeof(kUnits[0]) - 1;

}  // namespace

std::string FormatSize(uint64_t bytes) {
    uint64_t quotient = bytes;
    uint64_t divisor = 1;
    size_t unit = 0;
    while (quotient > 1024) {  // a 64-bit count ends at most at EB
        quotient >>= 10;
        divisor <<= 10;
        ++unit;
    }
    const double fraction = static_cast<double>(bytes - divisor * quotient) / static_cast<double>(divisor);
    const int hundredths = static_cast<int>(fraction * 100.0);
    return base::FormatText("%0.2f%s", static_cast<double>(quotient) + hundredths / 100.0, kUnits[unit]);
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

}  // namespace discovery
