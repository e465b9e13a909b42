// The helper's two jobs, run after the updater has handed over: replace the
// updater's executable with its new copy, or wait for the updater to end;
// then start it again. Every failure shows one box; nothing is returned to
// the caller because the process always exits with 0.
#pragma once

#include <windows.h>

namespace helper {

// argv[1] = the new copy, argv[2] = the executable it replaces, argv[3] =
// the SHA-256 of the copy as the updater checked it.
void ReplaceAndRelaunch(int argc, char** argv);
// Waits up to timeoutMs for process `processId` to end (ending it when
// `terminate` is non-zero), then starts `path` if it has the SHA-256
// `digestText`.
void WaitAndRelaunch(const char* path, DWORD processId, int terminate, DWORD timeoutMs, const char* digestText);
// Starts `path` without arguments and without waiting. Non-zero on success.
int RelaunchProgram(const char* path);

// True when `path` fits the 260-character command line RelaunchProgram
// builds (quotes included). Paths beyond it are refused before anything is
// touched, with a box.
bool CheckLaunchablePath(const char* path);

}  // namespace helper
