// The product version of a Windows program or library, read from its
// version resource without asking Windows: the release tool runs on Linux
// too, and must write the version texts the updater reads on Windows
// (GetFileVersionInfo and VerQueryValue "\", release/file_identity.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace release {

// The fixed part's product version (dwProductVersionMS and ...LS) of the
// version resource of the PE image `image` (a whole file's bytes): resource
// type 16, name 1, the neutral language if there is one, else the first. A
// 16-bit (NE) module's version resource is read too, as Windows reads it.
// False when the bytes are no PE image, have no such resource, or its fixed
// part is shorter than the 52 bytes of VS_FIXEDFILEINFO. Every offset is
// checked against the bytes: a cut or made-up file gives false, never a
// read outside them.
bool ReadPeProductVersion(const std::string& image, uint32_t& versionMs, uint32_t& versionLs);

// Bytes read where they lie: `read` fills `length` bytes from `offset`,
// which the reader has checked against `size`.
struct PeSource {
    uint64_t size;
    std::function<bool(uint64_t offset, void* to, size_t length)> read;
};
bool ReadPeProductVersion(const PeSource& source, uint32_t& versionMs, uint32_t& versionLs);

// The same for a file; false when it cannot be read.
bool ReadPeProductVersionOfFile(const std::string& path, uint32_t& versionMs, uint32_t& versionLs);

// "1.005" for 1.0.0.5: the high word, ".", then the three other words with
// no separator, as the update list has always written them.
std::string ProductVersionText(uint32_t versionMs, uint32_t versionLs);

}  // namespace release
