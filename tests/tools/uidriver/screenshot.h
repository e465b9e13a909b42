// Saves what a window shows on the screen as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// False when the window has no area or the file cannot be written.
bool SaveWindowBitmap(HWND window, const std::string& path, int& width, int& height);

}  // namespace uidriver
