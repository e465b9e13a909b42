// The driver's command line (see README.md).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

struct AnswerRule {
    std::string pattern;  // substring of a dialog's title or texts; empty matches every box
    std::string button;   // button text (without '&') or decimal control id
    bool once = false;    // dropped after its first use
};

struct ReadRule {
    std::string window;  // exact title or class of a top-level window; "*" for any
    std::vector<int> ids;
};

struct ScreenshotSpec {
    std::string file;
    std::string when;    // substring of a control's text (or window title) that triggers it
    bool taken = false;
};

struct Options {
    std::string logPath;
    DWORD timeoutMs = 60000;
    std::vector<AnswerRule> rules;
    std::string defaultButton;  // for boxes no rule matches; empty: the box's own default button
    std::vector<ReadRule> reads;
    std::vector<ScreenshotSpec> screenshots;
    bool waitAll = false;
    bool textChanges = false;  // record every WM_SETTEXT (--text-changes, or implied by --read)
    std::string commandLine;
};

// Parses the raw command line of the driver (program name included).
// Returns false and fills `error` when it is not usable.
bool ParseOptions(const std::string& raw, Options& options, std::string& error);

}  // namespace uidriver
