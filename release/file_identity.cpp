#include "release/file_identity.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/ansi_text.h"
#include "release/pe_version.h"
#include "base/unique_handle.h"
#include "base/version_info.h"
#include "release/batched_md5.h"

namespace release {
namespace {

constexpr int64_t kBlock = 1024;
constexpr int64_t kSampleBytes = 8;
// Reads go through a buffer large enough to keep read calls few and small
// enough to stay in the processor's cache while its samples are gathered, so
// the sampled hash costs little more than reading the file; the sampling
// itself still follows 1024-byte blocks.
constexpr DWORD kReadSize = 256 * 1024;
// From this size on, the samples are hashed on a second thread while the
// file is read: hashing them in turn with the reads would cost about a tenth
// of the reading time. Below it, starting a thread costs more than it saves.
constexpr int64_t kBackgroundHashFrom = 64 * 1024 * 1024;

bool HashWhole(int64_t size) { return size / kBlock + size % kBlock <= 4; }

// Whole blocks, so that every read but the last ends on a block boundary;
// small files get a small buffer.
DWORD ReadSizeFor(int64_t size) {
    return size >= kReadSize ? kReadSize : static_cast<DWORD>((size / kBlock + 1) * kBlock);
}

// The most MD5 input one read of `readSize` bytes can give.
size_t MaxInputPerRead(DWORD readSize, bool whole) {
    return whole ? readSize : readSize / kBlock * kSampleBytes + kBlock;
}

// Fills `buffer` completely unless the file ends first; false on a read error.
bool ReadFull(HANDLE file, char* buffer, DWORD size, DWORD& got) {
    got = 0;
    while (got < size) {
        DWORD n = 0;
        if (!::ReadFile(file, buffer + got, size - got, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

// Gathers what one read contributes to the MD5 input into `input` (room for
// MaxInputPerRead): all of it, or the first bytes of each full block and the
// tail (only the file's last read can hold a tail). Returns its length.
size_t GatherMd5Input(const char* data, DWORD got, bool whole, char* input) {
    if (whole) {
        std::memcpy(input, data, got);
        return got;
    }
    size_t length = 0;
    DWORD offset = 0;
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
          md5_(MaxInputPerRead(static_cast<DWORD>(maxPiece + kBlock), whole_),
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
        md5_.Commit(GatherMd5Input(data, static_cast<DWORD>(length), whole_, md5_.Room()));
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

// The MD5 state is local to each call, so fingerprints may be computed on
// several threads at once (the program itself only does so on its worker).
bool ComputeFingerprint(const std::string& path, char out[17]) {
    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        std::printf("\n File open error [%s] \n", path.c_str());
        return false;
    }
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size)) size.QuadPart = 0;
    const DWORD readSize = ReadSizeFor(size.QuadPart);

    FingerprintBuilder fingerprint(static_cast<uint64_t>(size.QuadPart), readSize);
    std::unique_ptr<char[]> buffer(new char[readSize]);
    for (;;) {
        DWORD got = 0;
        if (!ReadFull(file.get(), buffer.get(), readSize, got)) return false;
        if (got == 0) break;
        fingerprint.Feed(buffer.get(), got);
        if (got < readSize) break;
    }
    fingerprint.Finish(out);
    return true;
}

bool MatchesFingerprint(const std::string& path, const std::string& expected) {
    char text[17] = {};
    ComputeFingerprint(path, text);
    return base::EqualsNoCase(text, expected);
}

bool ReadFixedFileInfo(const std::string& path, VS_FIXEDFILEINFO& info) {
    std::vector<BYTE> block;
    if (!base::ReadVersionBlock(path, block)) return false;
    UINT fixedSize = 0;
    const void* fixed = base::QueryVersionValue(block, "\\", fixedSize);
    if (!fixed || fixedSize < sizeof(info)) return false;
    std::memcpy(&info, fixed, sizeof(info));
    return true;
}

std::string GetProductVersionText(const std::string& path) {
    VS_FIXEDFILEINFO info = {};
    if (!ReadFixedFileInfo(path, info)) return std::string();
    return ProductVersionText(info.dwProductVersionMS, info.dwProductVersionLS);
}

uint64_t GetFileSize64(const std::string& path) {
    struct _stat64 st;
    if (::_stat64(path.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool SameVersionText(const std::string& a, const std::string& b) {
    auto digits = [](std::string text) {
        for (char ch : {',', '.', ' '}) text = base::RemoveAll(std::move(text), ch);
        return text;
    };
    return digits(a) == digits(b);
}

}  // namespace release
