#include "install/running_programs.h"

#include <windows.h>

#include "base/unique_handle.h"
#include "install/instance_checker.h"
#include "install/notify_dialog.h"

namespace install {

bool IsFileLocked(const std::string& path) {
    base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return false;
    switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return true;
    default:
        return false;
    }
}

bool AskWithRetryDialog(const base::StringList& inUse) {
    CNotifyDlg dialog;
    dialog.m_files = inUse;
    return dialog.DoModal() == IDOK;
}

int WaitForFilesFree(const base::StringList& files, base::RunReport& report) {
    CInstanceChecker checker;
    base::StringList inUse;
    int count = checker.FindFilesInUse(files, inUse);
    while (count > 0) {
        if (!report.RetryHeldFiles(inUse)) break;
        inUse.clear();
        count = checker.FindFilesInUse(files, inUse);
    }
    return count;
}

}  // namespace install
