#include "crypto/sha256.h"

#include <algorithm>
#include <vector>

#include "crypto/hex_text.h"

namespace crypto {

const Sha256Hasher& SharedHasher() {
    static const Sha256Hasher hasher;
    return hasher;
}

bool HashBytes(const std::string& bytes, Sha256Digest& digest) {
    Sha256 hash;
    return hash.Update(bytes.data(), bytes.size()) && hash.Finish(digest);
}

std::string DigestToHex(const Sha256Digest& digest) { return BytesToHex(digest.data(), digest.size()); }

bool DigestFromHex(const std::string& text, Sha256Digest& digest) {
    std::vector<uint8_t> bytes;
    if (text.size() != digest.size() * 2 || !HexToBytes(text, bytes)) return false;
    std::copy(bytes.begin(), bytes.end(), digest.begin());
    return true;
}

}  // namespace crypto
