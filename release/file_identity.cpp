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
#include "release/fingerprint_builder.h"

namespace release {
namespace {

// Reads go through a buffer large enough to keep read calls few and small
// enough to stay in the processor's cache while its samples are gathered, so
// the sampled hash costs little more than reading the file; the sampling
// itself still follows 1024-byte blocks.
constexpr DWORD kReadSize = 256 * 1024;
constexpr int64_t kBlock = kFingerprintBlock;

// Whole blocks, so that every read but the last ends on a block boundary;
// small files get a small buffer.
DWORD ReadSizeFor(int64_t size) {
    return size >= kReadSize ? kReadSize : static_cast<DWORD>((size / kBlock + 1) * kBlock);
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

}  // namespace

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
