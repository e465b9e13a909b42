// The bytes the helper moves and starts are the ones the updater vouched
// for: the updater hands their SHA-256 over on the helper's command line
// (which only the elevated updater writes), and the helper compares it with
// what it reads through the handle that holds the file while it is moved or
// started, so a write in between is never moved into place or started.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"
#include "crypto/sha256.h"

namespace helper {

// The digest argument; false (and a box) when it is not one.
bool ReadDigestArgument(const char* text, crypto::Sha256Digest& digest);
// The held file's bytes have `digest`.
bool HoldsDigest(HANDLE file, const crypto::Sha256Digest& digest);
// Starts `path` while it is held, after finding it has `digest`; a file that
// does not is not started, and a box says so.
int RelaunchCheckedProgram(const char* path, const crypto::Sha256Digest& digest);

}  // namespace helper
