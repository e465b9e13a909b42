// A message-only window on the creating thread that hands each message to a
// handler. Routines that SendMessage from the same thread reach it without a
// message loop, so tests can record what a routine reports.
#pragma once

#include <windows.h>

#include <functional>

namespace testenv {

class MessageWindow {
public:
    // Returns true when it handled the message (the window then answers 0);
    // the rest go to the default procedure.
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit MessageWindow(Handler handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    Handler handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace testenv
