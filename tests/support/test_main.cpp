// Entry point of every test program: no crash or critical-error dialog may
// ever wait for a person during a test run.
#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
