// The retry dialog (the program's files-in-use dialog): lists the files that running programs
// hold and asks the user to close them. DoModal gives IDOK for "retry" and
// IDCANCEL for "cancel" or closing.
#pragma once

#include "base/dialog.h"
#include "base/split_string.h"

namespace install {

class CNotifyDlg : public base::Dialog {
public:
    CNotifyDlg();

    base::StringList m_files;

protected:
    BOOL OnInitDialog() override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace install
