// Names on the update server, and the fetch of the small control files of a
// release into the install folder.
#pragma once

#include <cstdint>
#include <string>

#include "fetch/fetch_context.h"

namespace fetch {

// Every transfer of a run reads through one block of this size and is tried
// this many times.
constexpr int32_t kWorkBufferSize = 0x8000;
constexpr int kTransferAttempts = 10;

// The most each text that steers a run may hold. A real release needs far
// less (a release of 20,000 files has a list and a signature file of about
// 2 MB each, a gateway a few lines); an answer over its cap is refused
// before a byte of it is written.
constexpr uint64_t kGatewayCap = 64 * 1024;
constexpr uint64_t kListCap = 16 * 1024 * 1024;
constexpr uint64_t kSignatureCap = 16 * 1024 * 1024;

// serverUrl + "/" + name, unescaped.
std::string ServerUrl(const FetchContext& context, const std::string& name);
// Fetches the named file, of at most `cap` bytes, into install folder + name
// + "_" without progress reports; the byte counters start over at 0 first.
// True when the copy is complete.
bool FetchServerFile(FetchContext& context, const std::string& name, uint64_t cap);

}  // namespace fetch
