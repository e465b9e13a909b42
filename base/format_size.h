// Byte counts as short texts for the window: "%0.2f" and a unit from B to EB,
// stepping by 1024 while the value is greater than 1024 (so 1024 stays
// "1024.00B" and 1048576 is "1024.00KB").
#pragma once

#include <cstdint>
#include <string>

namespace base {

// Integer forms: the two decimals are truncated (1535 gives "1.49KB").
std::string FormatSize(uint64_t bytes);
std::string FormatSize(uint32_t bytes);
// Floating form: the two decimals are rounded (1535.0 gives "1.50KB").
std::string FormatSize(double bytes);

// "<done> / <total>": the bytes of the current file, as the window shows them.
std::string FormatFileBytes(uint64_t done, uint64_t total);
// "<done> / <total> (<rate>/s / <n>초 남음)": the run's bytes, its rate and
// the seconds left, as the window's summary line shows them.
std::string FormatRunSummary(uint64_t done, uint64_t total, double rate, uint64_t secondsLeft);

}  // namespace base
