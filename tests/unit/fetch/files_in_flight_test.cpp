// Files in flight together, with a stand-in for the fetch of one file: how
// many run at once, what the window is told of them, and how a failure
// among them ends the fetch.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>

#include "base/run_failure.h"
#include "fetch/files_in_flight.h"
#include "tests/support/recording_report.h"

namespace {

class FilesInFlightTest : public ::testing::Test {
protected:
    FilesInFlightTest() {
        for (int i = 0; i < 12; ++i) {
            release::ListEntry entry;
            entry.index = i;
            entry.localPath = "data\\f" + std::to_string(i) + ".dat";
            entry.size = static_cast<uint32_t>(1000 + i);
            plan_[i] = entry;
            total_ += entry.size;
        }
    }

    // Stands in for one file's fetch: two reports of its bytes, 20 ms apart.
    void Stage(fetch::FetchContext& lane, const release::ListEntry& entry, transfer::TransferProgress& progress) {
        const int now = ++inFlight_;
        for (int seen = most_; now > seen && !most_.compare_exchange_weak(seen, now);) {
        }
        ++started_;
        progress.total = entry.size;
        progress.done = progress.lastChunk = entry.size / 2;
        lane.report.Transferred(progress);
        ::Sleep(20);
        progress.lastChunk = entry.size - progress.done;
        progress.done = entry.size;
        lane.report.Transferred(progress);
        --inFlight_;
    }

    void Run(const fetch::StageEntry& stage) {
        fetch::FetchContext context{"https://localhost/v", "C:\\x\\", report_, bytes_, trust_};
        fetch::StageInFlight(context, plan_, staged_, 4, stage);
    }

    uint64_t Reported() const {
        uint64_t sum = 0;
        for (const auto& record : report_.reports) sum += record.lastChunk;
        return sum;
    }

    release::EntryMap plan_, staged_;
    uint64_t total_ = 0;
    testenv::RecordingReport report_;
    fetch::ByteLedger bytes_;
    fetch::ReleaseTrust trust_;
    std::atomic<int> inFlight_{0}, most_{0}, started_{0};
};

TEST_F(FilesInFlightTest, FilesGoTogetherEveryByteIsToldAndTheLabelNamesAFileOfThePlan) {
    Run([this](fetch::FetchContext& lane, const release::ListEntry& entry, transfer::TransferProgress& progress,
               transfer::TransferBuffer&) {
        Stage(lane, entry, progress);
        // A box of a file that was staged after all is not lost.
        if (entry.index == 3) lane.report.ShowError("note of f3");
    });
    EXPECT_EQ(plan_.size(), staged_.size());
    EXPECT_GT(most_.load(), 1);
    EXPECT_LE(most_.load(), 4);
    EXPECT_EQ(total_, Reported());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("note of f3", report_.boxes[0].text);
    std::set<std::string> names;
    for (const auto& item : plan_) names.insert("f" + std::to_string(item.first) + ".dat");
    bool named = false;
    for (const auto& text : report_.texts) {
        if (text.first != kFileNameLabel) continue;
        named = true;
        EXPECT_EQ(1u, names.count(text.second)) << text.second;
    }
    EXPECT_TRUE(named);
    for (const auto& record : report_.reports) EXPECT_LE(record.done, record.total);
}

TEST_F(FilesInFlightTest, TheEarliestFailureEndsTheFetchWithItsBoxOnceTheFilesInFlightHaveEnded) {
    bool thrown = false;
    try {
        Run([this](fetch::FetchContext& lane, const release::ListEntry& entry, transfer::TransferProgress& progress,
                   transfer::TransferBuffer&) {
            Stage(lane, entry, progress);
            if (entry.index == 2 || entry.index == 3) {
                if (entry.index == 3) ::Sleep(5);  // fails a little later than f2 but alongside it
                lane.report.ShowError("box of f" + std::to_string(entry.index));
                throw base::RunFailure{base::RunStage::kFetch};
            }
        });
    } catch (const base::RunFailure& failure) {
        thrown = true;
        EXPECT_EQ(base::RunStage::kFetch, failure.stage);
        EXPECT_EQ(0, inFlight_.load());  // every file in flight had ended
    }
    EXPECT_TRUE(thrown);
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("box of f2", report_.boxes[0].text);
    // The files in flight beside them were staged; none was begun after.
    EXPECT_LT(started_.load(), static_cast<int>(plan_.size()));
    EXPECT_EQ(static_cast<size_t>(started_.load() - 2), staged_.size());
    EXPECT_EQ(0u, staged_.count(2));
    EXPECT_EQ(0u, staged_.count(3));
    EXPECT_EQ(1u, staged_.count(0));
}

}  // namespace
