// Shared pieces of the transfer tests: file contents that reveal misplaced
// bytes, and a window that records the progress reports it receives.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/message_window.h"
#include "transfer/expected_length.h"
#include "transfer/transfer_records.h"

namespace transfertest {

// Downloads that take the size the server answers, as the cases that test
// other rules want.
inline const transfer::ExpectedLength kAnyLength = transfer::ExpectedLength::AsAnswered();

// `size` bytes in which every position differs from its neighbours, so a
// shifted or repeated piece never compares equal.
std::string Pattern(size_t size, unsigned seed = 1);

// Equal bytes, or where they first differ (never prints whole files).
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

struct ProgressReport {
    transfer::TransferProgress record;  // a copy, taken while the message was handled
    const transfer::TransferProgress* sent;  // the record the message pointed to
};

// Records every progress report sent to its window (on the test's thread;
// the transfer routines send synchronously, so no message loop is needed).
class ProgressRecorder {
public:
    ProgressRecorder();
    HWND window() const { return window_.hwnd(); }
    const std::vector<ProgressReport>& reports() const { return reports_; }

private:
    std::vector<ProgressReport> reports_;
    testenv::MessageWindow window_;  // last: its handler uses reports_
};

}  // namespace transfertest
