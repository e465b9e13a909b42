#include "install/notify_dialog.h"

#include "install/program_resources.h"

namespace install {

CNotifyDlg::CNotifyDlg() : base::Dialog(UsedProgramResources().filesInUseDialog) {}

BOOL CNotifyDlg::OnInitDialog() {
    std::string text;
    for (const std::string& file : m_files) text += file + "\r\n";
    HWND edit = ::GetDlgItem(hwnd(), UsedProgramResources().filesInUseList);
    ::SetWindowTextA(edit, text.c_str());
    ::SetFocus(edit);
    // Caret at the end, scrolled into view, so the last file is the one shown.
    const WPARAM end = static_cast<WPARAM>(::GetWindowTextLengthA(edit));
    ::SendMessageA(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    return FALSE;  // the focus has been set
}

INT_PTR CNotifyDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == UsedProgramResources().retryButton && HIWORD(wParam) == BN_CLICKED) {
        EndDialog(IDOK);
        return TRUE;
    }
    return kNotHandled;
}

}  // namespace install
