// Every message box of the updater is shown through here, so that a box is
// always owned by the main window (when one exists) and so that unit tests can
// take the boxes instead of the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace base {

// The window that boxes belong to and that error boxes bring forward: the main
// window while its modal loop runs, null otherwise.
void SetMainWindow(HWND window);
HWND GetMainWindow();

// A box with the application's title, owned by the main window. Returns the
// button pressed. A text longer than a few kilobytes is cut (see EchoInBox).
int ShowMessageBox(const std::string& text, UINT type);
// The error box: bring the main window (if any) to the foreground, then a
// system-modal box with the stop icon (MB_ICONHAND | MB_SYSTEMMODAL, 0x1010).
int ShowErrorBox(const std::string& text);
constexpr UINT kErrorBoxType = MB_ICONHAND | MB_SYSTEMMODAL;

// A text from outside (a script line, a command line, an address) as a box
// echoes it: at most a few hundred bytes, with a mark when it was cut.
std::string EchoInBox(const std::string& text);

// Test seam: while a handler is installed every box goes to it instead of the
// screen, and its result is taken as the button pressed.
using MessageBoxHandler = std::function<int(const std::string& text, UINT type)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace base
