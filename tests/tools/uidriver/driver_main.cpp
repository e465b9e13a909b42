// uidriver.exe: starts a program, follows it and the processes it starts,
// logs and answers their dialogs, reads their controls. See README.md.
//
// uidriver.exe --log <file> [--timeout <ms>] [--answer "<text>=<button>"]...
//              [--answer-once "<text>=<button>"]... [--default <button>]
//              [--read "<window>:<id>[,<id>...]"]... [--text-changes] [--wait-all]
//              [--screenshot <file.bmp> [--screenshot-when "<text>"]]...
//              -- <command line>
//
// Exit code: the started program's exit code; 124 when the time limit ran
// out (the whole tree is killed); 125 for a bad driver command line; 126 when
// the program could not be started.
#include <windows.h>

#include <cstdio>

#include "tests/tools/uidriver/driver_options.h"
#include "tests/tools/uidriver/json_log.h"
#include "tests/tools/uidriver/process_tree.h"
#include "tests/tools/uidriver/text_changes.h"
#include "tests/tools/uidriver/window_watch.h"

namespace {

constexpr int kTimedOut = 124;
constexpr int kBadUsage = 125;
constexpr int kCannotStart = 126;
constexpr DWORD kPollMs = 50;

// The hook runs in other processes with other current folders.
std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full) : path;
}

}  // namespace

// A process that was just created may be missing from the snapshot for a
// moment; a chain such as helper → updater would then look ended while its
// next link is starting. Everything must stay ended for a short while.
constexpr DWORD kSettleMs = 500;

bool QuietFor(bool allEnded, DWORD& endedSince, bool& ending) {
    if (!allEnded) {
        ending = false;
        return false;
    }
    if (!ending) {
        ending = true;
        endedSince = ::GetTickCount();
    }
    return ::GetTickCount() - endedSince >= kSettleMs;
}

int main() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    uidriver::Options options;
    std::string error;
    if (!uidriver::ParseOptions(::GetCommandLineA(), options, error)) {
        std::fprintf(stderr, "uidriver: %s\n", error.c_str());
        return kBadUsage;
    }
    uidriver::JsonLog log;
    if (!log.Open(options.logPath)) {
        std::fprintf(stderr, "uidriver: cannot write %s\n", options.logPath.c_str());
        return kBadUsage;
    }
    uidriver::TextChanges texts(log);
    if (options.textChanges) texts.Begin(FullPath(options.logPath) + ".settext");
    uidriver::ProcessTree tree(log);
    DWORD startError = 0;
    if (!tree.Start(options.commandLine, startError)) {
        log.Write(uidriver::JsonLine("start-failed").Text("cmd", options.commandLine).Number("error", startError));
        return kCannotStart;
    }
    texts.ProgramStarted();
    uidriver::WindowWatch windows(log, options, tree);
    DWORD endedSince = 0;
    bool ending = false;
    while (true) {
        tree.Poll();
        texts.Poll();
        windows.Poll();
        if (options.waitAll ? QuietFor(tree.AllEnded(), endedSince, ending) : tree.RootEnded()) break;
        if (log.Elapsed() > options.timeoutMs) {
            log.Write(uidriver::JsonLine("timeout").Number("limit", options.timeoutMs));
            tree.KillAll();
            texts.End();
            log.Write(uidriver::JsonLine("end").Number("code", kTimedOut).Bool("timeout", true));
            return kTimedOut;
        }
        ::Sleep(kPollMs);
    }
    texts.End();
    const int code = static_cast<int>(tree.RootExitCode());
    log.Write(uidriver::JsonLine("end").Number("code", code).Bool("timeout", false));
    return code;
}
