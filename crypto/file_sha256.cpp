#include "crypto/file_sha256.h"

#include <vector>

#include "base/unique_handle.h"

namespace crypto {
namespace {

// Large reads keep the cost of the calls small next to the hashing; 256 KiB
// blocks stay in the processor's cache between the read and the hash.
constexpr DWORD kReadBlock = 256 * 1024;

}  // namespace

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

}  // namespace crypto
