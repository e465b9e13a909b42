// A file's version resource, read whole, and values looked up in it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace base {

// False when the file has no version resource or it cannot be read.
bool ReadVersionBlock(const std::string& path, std::vector<BYTE>& block);
// The value at `subBlock` ("\\" for the fixed part, "\\StringFileInfo\\..." for
// a text) and its size; null when it is not there.
const void* QueryVersionValue(std::vector<BYTE>& block, const char* subBlock, UINT& size);

}  // namespace base
