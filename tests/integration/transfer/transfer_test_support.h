// Shared pieces of the transfer tests: file contents that reveal misplaced
// bytes, and a report that records the progress reports it receives.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/run_report.h"
#include "tests/support/recording_report.h"
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
    transfer::TransferProgress record;  // a copy, taken when it was reported
    const transfer::TransferProgress* sent;  // the record that was reported
};

// Records every progress report of the transfer it is the report of, with
// the record that was sent, and its boxes (the transfer routines report
// synchronously, on the test's thread).
class ProgressRecorder : public testenv::RecordingReport {
public:
    void Transferred(base::TransferProgress& progress) override { reports_.push_back({progress, &progress}); }
    const std::vector<ProgressReport>& reports() const { return reports_; }

private:
    std::vector<ProgressReport> reports_;
};

}  // namespace transfertest
