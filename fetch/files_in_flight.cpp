#include "fetch/files_in_flight.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/ansi_text.h"
#include "fetch/flight_board.h"
#include "fetch/server_files.h"
#include "transfer/internet_session.h"

namespace fetch {
namespace {

// What the lanes tell the run once they have ended.
class LaneResults {
public:
    void Staged(const release::EntryMap::value_type& item) {
        const std::lock_guard<std::mutex> lock(lock_);
        staged_.insert(item);
    }
    void Failed(size_t order, std::exception_ptr failure, std::string box) {
        const std::lock_guard<std::mutex> lock(lock_);
        stopped_ = true;
        if (failure_ && order > failedOrder_) return;
        failedOrder_ = order;
        failure_ = failure;
        box_ = std::move(box);
    }
    bool Stopped() const { return stopped_; }

    // On the run's thread, after the lanes: the staged files, then the failure.
    void Deliver(base::RunReport& report, release::EntryMap& staged) {
        for (const auto& item : staged_) staged.insert(item);
        if (!failure_) return;
        if (!box_.empty()) report.ShowError(box_);
        std::rethrow_exception(failure_);
    }

private:
    std::mutex lock_;
    std::atomic<bool> stopped_{false};
    release::EntryMap staged_;
    std::exception_ptr failure_;
    size_t failedOrder_ = 0;
    std::string box_;
};

}  // namespace

void StageInFlight(FetchContext& context, const release::EntryMap& plan, release::EntryMap& staged, int lanes,
                   const StageEntry& stage) {
    std::vector<const release::EntryMap::value_type*> order;
    for (const auto& item : plan) order.push_back(&item);
    if (order.empty()) return;
    lanes = std::max(1, std::min<int>(lanes, static_cast<int>(order.size())));
    if (lanes > 1) transfer::AllowConnectionsPerServer(static_cast<DWORD>(lanes));

    FlightBoard board(context.report, context.bytes, lanes);
    LaneResults results;
    std::atomic<size_t> next{0};
    const auto runLane = [&](int lane) {
        FetchContext own{context.serverUrl, context.installFolder, board.LaneReport(lane), context.bytes,
                         context.trust, context.leftoversUntrusted, context.repairs};
        transfer::TransferBuffer buffer(kWorkBufferSize);
        transfer::TransferProgress progress;
        progress.report = &own.report;
        while (!results.Stopped()) {
            const size_t taken = next++;
            if (taken >= order.size()) return;
            const release::ListEntry& entry = order[taken]->second;
            board.Begin(lane, taken, base::FileNamePart(entry.localPath), entry.size);
            std::string box;
            try {
                stage(own, entry, progress, buffer);
                board.End(lane, true, box);
                results.Staged(*order[taken]);
            } catch (...) {
                board.End(lane, false, box);
                results.Failed(taken, std::current_exception(), box);
            }
        }
    };

    std::vector<std::thread> threads;
    for (int lane = 1; lane < lanes; ++lane) {
        try {
            threads.emplace_back(runLane, lane);
        } catch (const std::system_error&) {
            break;  // fewer lanes, the same files
        }
    }
    runLane(0);  // the run's own thread is a lane too
    for (std::thread& thread : threads) thread.join();
    board.Flush();
    results.Deliver(context.report, staged);
}

}  // namespace fetch
