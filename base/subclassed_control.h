// A C++ object that takes over a child control's window procedure, so a
// skinned control can paint and answer messages itself and leave the rest to
// the control's own class.
#pragma once

#include <windows.h>

namespace base {

class SubclassedControl {
public:
    SubclassedControl() = default;
    virtual ~SubclassedControl();
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;

    // Routes the window's messages to WindowProc. False when the window is
    // missing or this object already owns a window.
    bool Subclass(HWND window);
    // Gives the window its own procedure back.
    void Unsubclass();
    HWND hwnd() const { return hwnd_; }

protected:
    // Default: the control's original procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    WNDPROC original_ = nullptr;
};

}  // namespace base
