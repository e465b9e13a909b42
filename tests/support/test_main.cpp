// Entry point of every test program: no crash or critical-error dialog may
// ever wait for a person during a test run, and no box either: a stage under
// test reports its boxes to the test's report, so a box that reaches the
// screen's path went past it and fails the test instead of waiting.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/message_box.h"

int main(int argc, char** argv) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    base::SetMessageBoxHandler([](const std::string& text, UINT) {
        ADD_FAILURE() << "a box was shown instead of reported: " << text;
        return IDCANCEL;
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
