// Checks that tell whether a file on disk is the file a list entry describes:
// the sampled content fingerprint, the product version text and the size.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>
#include <string>

#include "release/fingerprint_builder.h"

namespace release {

// 16 lower-case hex digits, one per MD5 digest byte (its low four bits).
// Files whose size s gives floor(s/1024) + s%1024 <= 4 are hashed whole;
// all others contribute the first 8 bytes of every full 1024-byte block and
// the whole tail. On success `out` holds the text and a NUL; on failure
// (the file cannot be opened or read) `out` is left unchanged.
bool ComputeFingerprint(const std::string& path, char out[17]);

// The file's fingerprint equals `expected`, ignoring case. A file that
// cannot be read has the empty fingerprint.
bool MatchesFingerprint(const std::string& path, const std::string& expected);

#ifdef _WIN32
// The fixed part of the file's version resource.
bool ReadFixedFileInfo(const std::string& path, VS_FIXEDFILEINFO& info);
#endif
// Product version as "%d.%d%d%d" (1.0.0.5 gives "1.005"); empty without a
// version resource.
std::string GetProductVersionText(const std::string& path);
// Size in bytes; 0 when the file cannot be examined.
uint64_t GetFileSize64(const std::string& path);
// Equal once every ',', '.' and ' ' is removed from both (case-sensitive).
bool SameVersionText(const std::string& a, const std::string& b);

}  // namespace release
