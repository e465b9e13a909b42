// The helper's only way to report: a modal stop box without an owner.
#pragma once

#include <cstdio>

namespace helper {

// printf-style; formatted into a 1024-character buffer (longer texts are cut).
void ShowHelperBox(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));

}  // namespace helper
