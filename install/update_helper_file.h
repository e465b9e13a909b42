// Writing out and starting the helper program that finishes a self-update
// after the updater has exited. The helper travels inside the updater as a
// "BIN" resource (install/program_resources.h) and is written beside it,
// into the install folder, as UpdateHelper.exe.
#pragma once

#include <string>

#include "base/run_report.h"

namespace install {

// The install folder + "UpdateHelper.exe".
std::string GetUpdateHelperPath();
// Writes the helper resource of the running executable to `path`, byte for byte.
bool ExtractUpdateHelper(const std::string& path);
// Waits until no earlier helper holds the file (asking the report to retry
// while one does), then writes it. False when the player gives up or the
// file cannot be written.
bool PrepareUpdateHelper(base::RunReport& report, const std::string& path);
// Holds `program` until this process ends (no one may write, rename or
// delete it meanwhile) and gives the SHA-256 of the bytes held, in hex, for
// the helper's command line: the helper moves and starts only those bytes.
// False when it cannot be held or read.
bool HoldForHandOff(const std::string& program, std::string& digestHex);
// The same for a program already held open (a staged copy the download kept
// open without sharing, which cannot be opened by name meanwhile).
bool HoldForHandOff(HANDLE heldProgram, std::string& digestHex);
// Starts the helper written at `path`, hidden, by its full path, after
// reading it through a held handle (kept until the process has started) and
// finding it byte for byte the helper this program carries. False, and
// nothing started, when it is not; a failed start goes to the report.
bool StartUpdateHelper(base::RunReport& report, const std::string& path, const std::string& arguments);

}  // namespace install
