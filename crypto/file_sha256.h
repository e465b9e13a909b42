// The SHA-256 of a whole file, read through Windows (the updater, the helper
// and the installation check; the release tool takes its files' from its one
// read of them).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "crypto/sha256.h"

namespace crypto {

// Reads the file once from start to end; `size` gets the bytes read. False
// when it cannot be opened or read.
bool HashFile(const std::string& path, Sha256Digest& digest, uint64_t& size);
// The same through an open handle, from the file's start.
bool HashOpenFile(HANDLE file, Sha256Digest& digest, uint64_t& size);

}  // namespace crypto
