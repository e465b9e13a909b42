// Bytes as lower-case hex text, the form digests and signatures take in the
// release signature file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crypto {

std::string BytesToHex(const uint8_t* bytes, size_t size);
// Only an even count of lower-case hex digits is accepted.
bool HexToBytes(const std::string& text, std::vector<uint8_t>& bytes);

}  // namespace crypto
