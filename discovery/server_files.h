// Names on the update server: the built-in address, URLs below it, and the
// fetch of the small control files into the install folder.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/update_state.h"

namespace discovery {

// Every transfer of a run reads through one block of this size and is tried
// this many times.
constexpr int32_t kWorkBufferSize = 0x8000;
constexpr int kTransferAttempts = 10;

// The server URL compiled into the program (begins with "//" in the
// server-disabled build).
std::string BuiltInServerUrl();
// m_strServerUrl + "/" + name, unescaped.
std::string MakeServerUrl(const UpdateState& state, const std::string& name);
// Fetches the named file into install folder + name + "_" without progress
// reports; resets the byte counters first. True when the copy is complete.
bool FetchServerFile(UpdateState& state, const std::string& name);

}  // namespace discovery
