// Starting programs by command line: without waiting (StartProgram) and
// waiting for their exit code (RunAndWait, RunForExitCode). The program is
// always named by its full path as the application name (program_path.h),
// so no search picks another one, and the gate admits and holds it until the
// process has started.
#pragma once

#include <windows.h>

#include <string>

#include "base/run_report.h"
#include "install/file_gate.h"

namespace install {

// Starts `commandLine` (+ " " + `arguments` when given) and does not wait.
// `hide` starts it with SW_HIDE, otherwise SW_SHOWNORMAL. A start failure
// other than ERROR_FILE_NOT_FOUND goes to the report as a box with the
// system's text; a program the gate refused is not started and not reported
// again.
bool StartProgram(const FileGate& gate, base::RunReport& report, const std::string& commandLine, bool hide,
                  const char* arguments = nullptr);

// The box of a start that failed with `error` (none for ERROR_FILE_NOT_FOUND):
// the command line, the code and the system's text.
void ShowStartError(base::RunReport& report, const std::string& commandLine, DWORD error);

// Starts the command line with the default show state and waits up to
// `waitMilliseconds` (INFINITE allowed). The exit code (STILL_ACTIVE when the
// program outlived the wait; GetLastError() when the code cannot be read),
// or -1 (0xFFFFFFFF) when the program could not be started or was refused.
DWORD RunForExitCode(const FileGate& gate, const std::string& commandLine, DWORD waitMilliseconds);

// RunForExitCode without a time limit, `arguments` appended after one blank.
DWORD RunAndWait(const FileGate& gate, const std::string& commandLine, const char* arguments = nullptr);

}  // namespace install
