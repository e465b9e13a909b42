// Shared pieces of the transfer tests: file contents that reveal misplaced
// bytes, and a window that records the progress reports it receives.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/transfer_records.h"

namespace transfertest {

// `size` bytes in which every position differs from its neighbours, so a
// shifted or repeated piece never compares equal.
std::string Pattern(size_t size, unsigned seed = 1);

// Equal bytes, or where they first differ (never prints whole files).
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

struct ProgressReport {
    transfer::TransferProgress record;  // a copy, taken while the message was handled
    const transfer::TransferProgress* sent;  // the record the message pointed to
};

// A message-only window on the test's thread; the transfer routines call it
// synchronously, so no message loop is needed.
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;
    HWND window() const { return window_; }
    const std::vector<ProgressReport>& reports() const { return reports_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<ProgressReport> reports_;
};

}  // namespace transfertest
