// One line of the text-change file the hook DLL writes and the driver reads.
#pragma once

#include <windows.h>

namespace uidriverhook {

// The environment variable naming the file (a Windows path) in the followed
// processes; the hook does nothing where it is absent.
constexpr char kLogVariable[] = "UIDRIVER_TEXT_LOG";
constexpr int kMaxText = 2048;    // longer texts are cut (in characters)
constexpr int kMaxLine = 16384;   // fits kMaxText escaped, titles and numbers

struct TextChange {
    DWORD tick;
    DWORD pid;
    UINT_PTR hwnd;
    int id;
    const char* window;       // ANSI title of the top-level window
    const char* windowClass;  // its class
    const char* text;         // ANSI text as set
};

// Writes "<tick> <JSON members>\n" into out; returns its length, 0 when it
// does not fit. No heap use: it runs inside the followed programs.
DWORD FormatTextChange(const TextChange& change, char* out, DWORD size);

}  // namespace uidriverhook
