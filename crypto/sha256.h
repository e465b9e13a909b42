// SHA-256 from the platform's crypto provider, of bytes in memory or of a
// whole file, and its text form (64 lower-case hex digits).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "crypto/crypt_handles.h"

namespace crypto {

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    // On a provider the caller keeps alive (a Sha256Hasher's): many files
    // hashed one after another need not acquire one each.
    explicit Sha256(HCRYPTPROV provider);
    bool ok() const { return hash_.valid(); }
    bool Update(const void* data, size_t size);
    // The digest of everything added; false when the provider failed.
    bool Finish(Sha256Digest& digest);

private:
    UniqueCryptProvider provider_;
    UniqueCryptHash hash_;
    bool failed_ = false;
};

// Digests of many small pieces (blocks of a file) from one provider:
// acquiring a provider costs more than hashing one piece.
class Sha256Hasher {
public:
    Sha256Hasher();
    bool ok() const { return provider_.valid(); }
    HCRYPTPROV provider() const { return provider_.get(); }
    bool Digest(const void* data, size_t size, Sha256Digest& digest) const;

private:
    UniqueCryptProvider provider_;
};

bool HashBytes(const std::string& bytes, Sha256Digest& digest);
// Reads the file once from start to end; `size` gets the bytes read. False
// when it cannot be opened or read.
bool HashFile(const std::string& path, Sha256Digest& digest, uint64_t& size);
// The same through an open handle, from the file's start.
bool HashOpenFile(HANDLE file, Sha256Digest& digest, uint64_t& size);

std::string DigestToHex(const Sha256Digest& digest);
// Exactly 64 lower-case hex digits; false otherwise.
bool DigestFromHex(const std::string& text, Sha256Digest& digest);

}  // namespace crypto
