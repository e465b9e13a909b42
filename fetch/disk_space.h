// Room on the drive before the first byte of a file is fetched: what a plan
// will write (each staged copy, less what an earlier run left of it, and
// each copy into place, less the file it replaces; a file put together from
// its blocks is a staged copy like any other) against the space free to
// this program on each volume the plan writes to.
#pragma once

#include <cstdint>
#include <string>

#include "release/list_entry.h"

namespace fetch {

struct SpaceShortfall {
    std::string folder;  // where the plan lacks room: the install folder, or the system folder
    uint64_t needed = 0;
    uint64_t free = 0;
};

// The bytes the plan's entry adds to its volume: staged copy and copy into place.
uint64_t BytesWritten(const release::ListEntry& entry, const std::string& installFolder);

// False, with `shortfall` filled, when a volume has less free space than the
// plan writes to it. Entries whose names the fetch refuses count nothing. A volume whose free space cannot be read is taken as
// having room: the writes then fail on their own, as before.
bool PlanFits(const release::EntryMap& plan, const std::string& installFolder, SpaceShortfall& shortfall);

}  // namespace fetch
