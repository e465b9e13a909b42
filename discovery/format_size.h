// Byte counts as short texts for the window: "%0.2f" and a unit from B to EB,
// stepping by 1024 while the value is greater than 1024 (so 1024 stays
// "1024.00B" and 1048576 is "1024.00KB").
#pragma once

#include <cstdint>
#include <string>

namespace discovery {

// Integer forms: the two decimals are truncated (1535 gives "1.49KB").
std::string FormatSize(uint64_t bytes);
std::string FormatSize(uint32_t bytes);
// Floating form: the two decimals are rounded (1535.0 gives "1.50KB").
std::string FormatSize(double bytes);

}  // namespace discovery
