// The application object: decides, before any window exists, whether this
// process relocates the updater to its home folder, refuses to run twice, or
// runs the main window.
#pragma once

#include <string>

namespace app {

class CVNUpdateApp {
public:
    // The start-up decision tree. Returns the process exit code.
    int InitInstance();

private:
    bool AnotherInstanceRuns();
    // `homeOwned`: the home tree is the program's (install/home_tree.h);
    // otherwise nothing found in it decides the run.
    void RunMainWindow(bool homeOwned);
};

}  // namespace app
