// The application object: decides, before any window exists, whether this
// process relocates the updater to its home folder, refuses to run twice, or
// runs the main window.
#pragma once

#include <string>

#include "install/home_tree.h"

namespace app {

class CVNUpdateApp {
public:
    // The start-up decision tree. Returns the process exit code.
    int InitInstance();

    // What making the home tree the program's came to (install/home_tree.h)
    // and the path that could not be put right; kFailed, without a path,
    // until it has run.
    install::HomeTreeResult homeTree() const { return homeTree_; }
    const std::string& homeTreeFailedPath() const { return homeTreeFailedPath_; }

private:
    void OwnHome(const std::string& folder);
    void Relocate(const std::string& modulePath);
    bool AnotherInstanceRuns();
    void RunMainWindow();

    install::HomeTreeResult homeTree_ = install::HomeTreeResult::kFailed;
    std::string homeTreeFailedPath_;
};

}  // namespace app
