// A dialog driven by a template of the program's own .rc file, with a modal
// loop of our own: unlike DialogBoxParam's internal loop it lets the dialog
// filter keys (PreTranslateMessage) before the dialog manager sees them.
#pragma once

#include <windows.h>

#include <cstdint>

namespace base {

class SubclassedControl;

class Dialog {
public:
    // HandleMessage returns this for messages it leaves to the dialog manager.
    static constexpr INT_PTR kNotHandled = INTPTR_MIN;

    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog from the exe's own module, disables `owner` while it
    // runs and returns the value given to EndDialog. Returns -1 when the
    // dialog cannot be created, and when WM_QUIT arrives (the quit message
    // is posted again so that the next loop out ends as well).
    INT_PTR DoModal(HWND owner = nullptr);
    HWND hwnd() const { return hwnd_; }
    // Ends the modal loop after the current message. Call on the dialog's thread.
    void EndDialog(INT_PTR result);

protected:
    // WM_INITDIALOG. Return TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // Every message after WM_INITDIALOG. Return the message's result, or
    // kNotHandled for the dialog manager's default. Unhandled IDOK and
    // IDCANCEL commands end the dialog with that id.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Every message of the modal loop, before the dialog manager. Return
    // true to swallow it.
    virtual bool PreTranslateMessage(MSG& message);

    // Lets `control` take over the window procedure of child `controlId`.
    bool SubclassControl(int controlId, SubclassedControl& control);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void RunLoop();

    int templateId_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    INT_PTR result_ = -1;
};

}  // namespace base
