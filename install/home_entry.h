// One entry of the home, opened as itself and never as what a link names, and
// what its handle says about it: checks and changes go through that handle,
// so the entry cannot be swapped in between.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace install {

struct EntryFacts {
    DWORD attributes = 0;
    DWORD links = 0;
    // The path the system resolves the handle to (base::FinalNameOf); empty
    // where the system cannot say (before Vista).
    std::string finalPath;
};

// Opens the entry with the rights to read and set its owner and DACL (backup
// semantics, so that folders open too and the privileges of the walk count).
// A folder is opened to be listed as well, and nobody may delete or rename it
// while it is held.
base::UniqueFile OpenEntry(const std::string& path, bool folder);
// False when the handle tells nothing.
bool ReadEntryFacts(HANDLE entry, EntryFacts& facts);
// The final path of a folder as it is reached (through whatever links lie on
// the way); empty where the system cannot say. False when it could not be read.
bool ReadFolderFinalPath(const std::string& folder, std::string& finalPath);

}  // namespace install
