// Reads an extended dialog template (DLGTEMPLATEEX) as it is stored in a
// program's resources, so tests can compare it with what the window needs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace restest {

struct TemplateItem {
    DWORD id = 0;
    std::string windowClass;  // lower case; ordinals become their class names
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;         // code page 949; "#133" for an ordinal (a resource id)
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;      // code page 949
    WORD pointSize = 0;
    std::string typeface;
    std::vector<TemplateItem> items;
};

// False when the bytes are not an extended template.
bool ParseDialogTemplate(const BYTE* bytes, size_t size, DialogTemplate& out);

}  // namespace restest
