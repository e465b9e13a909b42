// Running a program under uidriver.exe from a test and reading what it saw.
//
//   uidriver::Invocation run;
//   run.commandLine = "\"" + testenv::BinDir() + "UpdateHelper.exe\" a b";
//   run.logPath = scratch / "driver.log";
//   run.answers = {"실패=1"};
//   uidriver::RunResult result = uidriver::RunDriver(run);
//   EXPECT_EQ(std::vector<std::string>{"..."}, result.BoxTexts());
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/tools/uidriver/client/json_value.h"

namespace uidriver {

struct Invocation {
    std::string commandLine;                  // started as it is
    std::string logPath;                      // where the driver writes its log
    DWORD timeoutMs = 20000;                  // the driver kills the tree after this
    std::vector<std::string> answers;         // "<text>=<button>", every match
    std::vector<std::string> answersOnce;     // "<text>=<button>", first match only; tried before `answers`
    std::string defaultButton;                // for boxes no rule matches; empty: their default button
    std::vector<std::string> reads;           // "<window title or class>:<id>[,<id>...]"
    std::vector<std::pair<std::string, std::string>> screenshots;  // BMP file, text that triggers it
    bool waitAll = false;                     // wait for every descendant, not only the started program
    bool textChanges = false;                 // record every text set (implied by `reads`)
    std::string driverPath;                   // empty: <build>\bin\uidriver.exe
};

struct RunResult {
    DWORD exitCode = 0;             // the driver's: the program's code, or 124/125/126
    std::vector<JsonValue> events;  // the log, one value per line

    std::vector<const JsonValue*> Events(const std::string& name) const;
    bool TimedOut() const;
    std::vector<std::string> BoxTexts() const;         // every message box, in order
    std::vector<std::string> UnansweredBoxes() const;  // boxes that no rule matched
    std::vector<std::string> ControlTexts(int id) const;  // successive texts of a --read control
    // Every text set on controls with this id, in order, by any followed process.
    std::vector<std::string> TextChanges(int id) const;
    std::vector<std::string> StartedExes() const;      // exe names of every process seen after the first
};

// The driver's full command line for an invocation.
std::string DriverCommandLine(const Invocation& run);
// Runs the driver and waits for it (its time limit plus a margin, then it is
// killed and std::runtime_error is thrown). Also throws when the log cannot be read.
RunResult RunDriver(const Invocation& run);
// Parses a driver's log file (e.g. one written by a driver the driver ran);
// throws std::runtime_error when it cannot be read.
RunResult ReadDriverLog(const std::string& path);

}  // namespace uidriver
