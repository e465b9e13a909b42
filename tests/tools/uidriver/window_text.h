// Reading windows of other processes without ever hanging on a busy one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

std::string WindowText(HWND window);
std::string ClassOf(HWND window);

struct ChildControl {
    HWND hwnd;
    int id;
    std::string cls;
    std::string text;
};
std::vector<ChildControl> ChildControls(HWND parent);

// Button texts are compared without their '&' accelerator marks.
std::string WithoutAccelerators(const std::string& text);

// A JSON array of {"id","class","text"} objects.
std::string ControlsJson(const std::vector<ChildControl>& controls);

}  // namespace uidriver
