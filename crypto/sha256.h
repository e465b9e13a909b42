// SHA-256 from the platform's own library (CryptoAPI on Windows, OpenSSL
// elsewhere: sha256_cryptoapi.cpp, sha256_openssl.cpp) of bytes in memory,
// and its text form (64 lower-case hex digits). A whole file's is in
// file_sha256.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace crypto {

using Sha256Digest = std::array<uint8_t, 32>;

// Digests of many small pieces (blocks of a file) from one provider:
// acquiring a provider costs more than hashing one piece.
class Sha256Hasher {
public:
    Sha256Hasher();
    ~Sha256Hasher();
    Sha256Hasher(const Sha256Hasher&) = delete;
    Sha256Hasher& operator=(const Sha256Hasher&) = delete;

    bool ok() const;
    bool Digest(const void* data, size_t size, Sha256Digest& digest) const;

    struct Provider;  // the platform's, defined with its implementation
    const Provider* provider() const { return provider_.get(); }

private:
    std::unique_ptr<Provider> provider_;
};

// One hasher for the whole process, made at its first use, whose provider
// hashes started on any thread may share (the files in flight): acquiring
// one costs more than hashing a small file.
const Sha256Hasher& SharedHasher();

class Sha256 {
public:
    Sha256();
    // On the provider of a hasher the caller keeps alive: many files hashed
    // one after another need not acquire one each.
    explicit Sha256(const Sha256Hasher& on);
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool ok() const;
    bool Update(const void* data, size_t size);
    // The digest of everything added; false when the provider failed.
    bool Finish(Sha256Digest& digest);

private:
    struct State;  // the platform's, defined with its implementation
    std::unique_ptr<State> state_;
    bool failed_ = false;
};

bool HashBytes(const std::string& bytes, Sha256Digest& digest);

std::string DigestToHex(const Sha256Digest& digest);
// Exactly 64 lower-case hex digits; false otherwise.
bool DigestFromHex(const std::string& text, Sha256Digest& digest);

}  // namespace crypto
