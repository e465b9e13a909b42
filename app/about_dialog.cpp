#include "app/about_dialog.h"

#include "base/ansi_text.h"
#include "base/own_version.h"
#include "res/resource.h"

namespace {

// The optional RT_HTML text of the lower line; empty when the program has none.
std::string AboutText() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_ABOUT_TEXT), MAKEINTRESOURCEA(23));
    if (!info) return {};
    HGLOBAL loaded = ::LoadResource(module, info);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!bytes) return {};
    return std::string(bytes, ::SizeofResource(module, info));
}

}  // namespace

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUTBOX) {}

std::string CAboutDlg::TitleLine() {
    DWORD words[2];
    const std::string version = base::GetOwnVersion(words) ? base::FormatVersion(words) : "?";
    return base::FormatText("Vantero Updater v%s [%s]", version.c_str(), __DATE__);
}

BOOL CAboutDlg::OnInitDialog() {
    const std::string title = TitleLine();
    std::string details = AboutText();
    if (details.empty()) details = title;
    ::SetDlgItemTextA(hwnd(), IDC_ABOUT_TITLE, title.c_str());
    ::SetDlgItemTextA(hwnd(), IDC_ABOUT_DETAILS, base::ReplaceAll(details, "\n", "\r\n").c_str());

    HWND detailsEdit = ::GetDlgItem(hwnd(), IDC_ABOUT_DETAILS);
    ::SetFocus(detailsEdit);
    ::PostMessageA(detailsEdit, EM_SETSEL, 0, 0);
    // FALSE: the focus is set; TRUE would move it to the first tab stop.
    return FALSE;
}
