#include "crypto/sha256.h"

#include <algorithm>
#include <vector>

#include "crypto/hex_text.h"

namespace crypto {
namespace {

// Large reads keep the cost of the calls small next to the hashing; 256 KiB
// blocks stay in the processor's cache between the read and the hash.
constexpr DWORD kReadBlock = 256 * 1024;
// CryptHashData takes a 32-bit count.
constexpr size_t kLargestUpdate = 0x40000000;

}  // namespace

Sha256::Sha256() : provider_(AcquireProvider()) {
    if (provider_ && !::CryptCreateHash(provider_.get(), CALG_SHA_256, 0, 0, hash_.put())) hash_.release();
}

Sha256::Sha256(HCRYPTPROV provider) {
    if (provider && !::CryptCreateHash(provider, CALG_SHA_256, 0, 0, hash_.put())) hash_.release();
}

bool Sha256::Update(const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (ok() && !failed_ && size > 0) {
        const DWORD part = static_cast<DWORD>(size < kLargestUpdate ? size : kLargestUpdate);
        failed_ = !::CryptHashData(hash_.get(), bytes, part, 0);
        bytes += part;
        size -= part;
    }
    return ok() && !failed_;
}

bool Sha256::Finish(Sha256Digest& digest) {
    DWORD length = static_cast<DWORD>(digest.size());
    return ok() && !failed_ && ::CryptGetHashParam(hash_.get(), HP_HASHVAL, digest.data(), &length, 0) &&
           length == digest.size();
}

Sha256Hasher::Sha256Hasher() : provider_(AcquireProvider()) {}

bool Sha256Hasher::Digest(const void* data, size_t size, Sha256Digest& digest) const {
    UniqueCryptHash hash;
    DWORD length = static_cast<DWORD>(digest.size());
    return ok() && size < kLargestUpdate && ::CryptCreateHash(provider_.get(), CALG_SHA_256, 0, 0, hash.put()) &&
           ::CryptHashData(hash.get(), static_cast<const BYTE*>(data), static_cast<DWORD>(size), 0) &&
           ::CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) && length == digest.size();
}

bool HashBytes(const std::string& bytes, Sha256Digest& digest) {
    Sha256 hash;
    return hash.Update(bytes.data(), bytes.size()) && hash.Finish(digest);
}

bool HashFile(const std::string& path, Sha256Digest& digest, uint64_t& size) {
    size = 0;
    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return file && HashOpenFile(file.get(), digest, size);
}

bool HashOpenFile(HANDLE file, Sha256Digest& digest, uint64_t& size) {
    size = 0;
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    Sha256 hash;
    std::vector<char> block(kReadBlock);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, block.data(), kReadBlock, &got, nullptr)) return false;
        if (got == 0) break;
        if (!hash.Update(block.data(), got)) return false;
        size += got;
    }
    return hash.Finish(digest);
}

std::string DigestToHex(const Sha256Digest& digest) { return BytesToHex(digest.data(), digest.size()); }

bool DigestFromHex(const std::string& text, Sha256Digest& digest) {
    std::vector<uint8_t> bytes;
    if (text.size() != digest.size() * 2 || !HexToBytes(text, bytes)) return false;
    std::copy(bytes.begin(), bytes.end(), digest.begin());
    return true;
}

}  // namespace crypto
