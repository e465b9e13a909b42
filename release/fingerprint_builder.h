// The fingerprint of a file's bytes as they are handed over in order: the
// text both programs compare (file_identity.h reads a file for it; the
// release tool feeds it from its one read of each file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace release {

// The sampling follows blocks of this many bytes.
constexpr int64_t kFingerprintBlock = 1024;

// 16 lower-case hex digits (see ComputeFingerprint, file_identity.h) of
// bytes handed over in pieces of at most `maxPiece` bytes.
class FingerprintBuilder {
public:
    // `fileSize`: the whole file's, which decides whole or sampled.
    FingerprintBuilder(uint64_t fileSize, size_t maxPiece);
    ~FingerprintBuilder();
    FingerprintBuilder(const FingerprintBuilder&) = delete;
    FingerprintBuilder& operator=(const FingerprintBuilder&) = delete;

    void Feed(const char* data, size_t length);
    // Writes the text and a NUL; call once.
    void Finish(char out[17]);

private:
    class Md5Input;
    std::unique_ptr<Md5Input> input_;
};

}  // namespace release
