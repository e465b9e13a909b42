// Runs the real UpdateHelper.exe under the UI driver in a scratch folder,
// with stand-in programs that record their starts.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "tests/support/test_env.h"
#include "tests/tools/uidriver/client/uidriver_client.h"

namespace helpertest {

std::string Quoted(const std::string& path);
std::string SleeperPath();  // <build>\bin\fixture_sleeper.exe
// The SHA-256 of the file's bytes now, as the updater hands it to the helper.
std::string DigestOf(const std::string& path);

// Starts a program directly (not under the driver); the test owns it.
base::ProcessHandles StartProcess(const std::string& commandLine);

class HelperTest : public ::testing::Test {
protected:
    testenv::ScratchDir scratch_{"helper"};

    std::string Path(const std::string& name) const { return scratch_ / name; }
    // A copy of the sleeper at `path`: started without arguments it records
    // its command line in path + ".record" and exits.
    void PlaceSleeper(const std::string& path) const;
    // The command lines a placed sleeper was started with, oldest first.
    std::vector<std::string> Starts(const std::string& path) const;
    // Runs the helper with `arguments`, answering its boxes by their title,
    // waiting for everything it starts. Checks the run ended by itself with
    // exit code 0 and that every box was answered by rule.
    uidriver::RunResult RunHelper(const std::string& arguments);
    // Holds `path` open exclusively for `ms` (returns once it is held).
    base::ProcessHandles HoldFile(const std::string& path, DWORD ms);
};

}  // namespace helpertest
