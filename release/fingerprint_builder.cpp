#include "release/fingerprint_builder.h"

#include <algorithm>
#include <cstring>

#include "release/batched_md5.h"

namespace release {
namespace {

constexpr int64_t kBlock = kFingerprintBlock;
constexpr int64_t kSampleBytes = 8;
// From this size on, the samples are hashed on a second thread while the
// file is read: hashing them in turn with the reads would cost about a tenth
// of the reading time. Below it, starting a thread costs more than it saves.
constexpr int64_t kBackgroundHashFrom = 64 * 1024 * 1024;

bool HashWhole(int64_t size) { return size / kBlock + size % kBlock <= 4; }

// The most MD5 input one piece of `pieceSize` bytes can give.
size_t MaxInputPerRead(size_t pieceSize, bool whole) {
    return whole ? pieceSize : pieceSize / kBlock * kSampleBytes + kBlock;
}

// Gathers what one piece contributes to the MD5 input into `input` (room for
// MaxInputPerRead): all of it, or the first bytes of each full block and the
// tail (only the file's last piece can hold a tail). Returns its length.
size_t GatherMd5Input(const char* data, size_t got, bool whole, char* input) {
    if (whole) {
        std::memcpy(input, data, got);
        return got;
    }
    size_t length = 0;
    size_t offset = 0;
    for (; got - offset >= kBlock; offset += kBlock, length += kSampleBytes)
        std::memcpy(input + length, data + offset, kSampleBytes);
    std::memcpy(input + length, data + offset, got - offset);
    return length + (got - offset);
}

}  // namespace

// What a fingerprint hashes, gathered from the pieces as they come.
class FingerprintBuilder::Md5Input {
public:
    Md5Input(uint64_t fileSize, size_t maxPiece)
        : whole_(HashWhole(static_cast<int64_t>(fileSize))),
          md5_(MaxInputPerRead(maxPiece + kBlock, whole_),
               static_cast<int64_t>(fileSize) >= kBackgroundHashFrom) {}
    // The samples follow 1024-byte blocks: a block split between two pieces
    // is joined first, and a short one can only be the file's tail.
    void Feed(const char* data, size_t length) {
        if (carried_ > 0) {
            const size_t taken = std::min<size_t>(kBlock - carried_, length);
            std::memcpy(carry_ + carried_, data, taken);
            carried_ += taken;
            data += taken;
            length -= taken;
            if (carried_ < kBlock) return;
            Gather(carry_, carried_);
            carried_ = 0;
        }
        const size_t aligned = length / kBlock * kBlock;
        if (aligned > 0) Gather(data, aligned);
        std::memcpy(carry_, data + aligned, length - aligned);
        carried_ = length - aligned;
    }
    void Finish(char out[17]) {
        if (carried_ > 0) Gather(carry_, carried_);
        const Md5Digest digest = md5_.Finish();
        static const char kHex[] = "0123456789abcdef";
        for (size_t i = 0; i < digest.size(); ++i) out[i] = kHex[digest[i] & 0x0F];
        out[16] = '\0';
    }

private:
    void Gather(const char* data, size_t length) {
        md5_.Commit(GatherMd5Input(data, length, whole_, md5_.Room()));
    }

    const bool whole_;
    BatchedMd5 md5_;
    char carry_[kBlock];
    size_t carried_ = 0;
};

FingerprintBuilder::FingerprintBuilder(uint64_t fileSize, size_t maxPiece)
    : input_(new Md5Input(fileSize, maxPiece)) {}
FingerprintBuilder::~FingerprintBuilder() = default;
void FingerprintBuilder::Feed(const char* data, size_t length) { input_->Feed(data, length); }
void FingerprintBuilder::Finish(char out[17]) { input_->Finish(out); }

}  // namespace release
