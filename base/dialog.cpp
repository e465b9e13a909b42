#include "base/dialog.h"

#include "base/subclassed_control.h"

namespace base {
namespace {

// Messages whose result the dialog procedure returns itself instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
    ended_ = false;
    result_ = -1;
    HWND window = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                       owner, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!window) return -1;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    if (!(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)) ::ShowWindow(window, SW_SHOW);

    RunLoop();

    // Enable the owner before the dialog goes, so that activation returns to it.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    ::DestroyWindow(window);
    return result_;
}

void Dialog::RunLoop() {
    MSG message;
    while (!ended_) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            result_ = -1;
            return;
        }
        if (got == -1) return;
        if (PreTranslateMessage(message)) continue;
        if (hwnd_ && ::IsDialogMessageA(hwnd_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // Wakes the loop if it is waiting for a message.
    if (hwnd_) ::PostMessageA(hwnd_, WM_NULL, 0, 0);
}

BOOL Dialog::OnInitDialog() { return TRUE; }

INT_PTR Dialog::HandleMessage(UINT, WPARAM, LPARAM) { return kNotHandled; }

bool Dialog::PreTranslateMessage(MSG&) { return false; }

bool Dialog::SubclassControl(int controlId, SubclassedControl& control) {
    return hwnd_ && control.Subclass(::GetDlgItem(hwnd_, controlId));
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->hwnd_ = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        dialog->hwnd_ = nullptr;
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const INT_PTR result = HandleMessage(message, wParam, lParam);
    if (result == kNotHandled) {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
            (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) return result;
    if (hwnd_) ::SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace base
