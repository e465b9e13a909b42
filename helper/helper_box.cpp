#include "helper/helper_box.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace helper {

void ShowHelperBox(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ::MessageBoxA(nullptr, text, "UpdateHelper", MB_OK | MB_ICONHAND);
}

}  // namespace helper
