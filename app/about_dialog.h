// The about box: the updater's name, version and build date.
#pragma once

#include <string>

#include "base/dialog.h"

class CAboutDlg : public base::Dialog {
public:
    CAboutDlg();

    // "Vantero Updater v<version> [<build date>]", the version "?" when unknown.
    static std::string TitleLine();

protected:
    BOOL OnInitDialog() override;
};
