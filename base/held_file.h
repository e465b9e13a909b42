// A file held for the span of a check and the use it guards: opened for
// reading with read sharing only, so that while the handle is open no one
// (this process included) can write, rename or delete it. Whatever reads the
// file by name in that span (the loader, CreateProcess, the profile
// functions) reads the bytes that were checked.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace base {

// An invalid handle when the file cannot be opened so (missing, or already
// open for writing elsewhere).
UniqueFile OpenHeldFile(const std::string& path);
// The whole file, read through the handle from its start.
bool ReadHeldFile(HANDLE file, std::string& bytes);

}  // namespace base
