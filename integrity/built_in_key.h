// What this program was built to accept: the publisher's public key file, or
// an empty text when it was built without one (it then checks no release),
// and the lowest release serial it accepts whatever the machine has seen.
#pragma once

#include <cstdint>
#include <string>

namespace integrity {

std::string BuiltInReleaseKey();
// A signed release with a lower serial is a replay of one older than this
// build, even on a machine that has accepted no release yet.
uint32_t BuiltInLowestSerial();

}  // namespace integrity
