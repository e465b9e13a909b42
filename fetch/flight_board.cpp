#include "fetch/flight_board.h"

#include "transfer/transfer_records.h"

namespace fetch {

const char kTextReceiving[] = "파일 수신 중...";

// A lane's report: its bytes go to the board, its boxes wait there, and
// everything else reaches the run's report under the board's lock.
class FlightBoard::Lane : public base::RunReport {
public:
    Lane(FlightBoard& board, int lane) : board_(board), lane_(lane) {}
    void SetText(WindowPart label, const std::string& text) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        board_.to_.SetText(label, text);
    }
    void SetBarRange(WindowPart bar, int lower, int upper) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        board_.to_.SetBarRange(bar, lower, upper);
    }
    void SetBarPos(WindowPart bar, int position) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        board_.to_.SetBarPos(bar, position);
    }
    void Transferred(base::TransferProgress& progress) override { board_.Transferred(lane_, progress); }
    void Registered(RegisterProgress& progress) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        board_.to_.Registered(progress);
    }
    bool RetryHeldFiles(const base::StringList& inUse) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        return board_.to_.RetryHeldFiles(inUse);
    }
    int ShowBox(const std::string& text, UINT type) override {
        const std::lock_guard<std::mutex> lock(board_.lock_);
        return board_.to_.ShowBox(text, type);
    }
    void ShowError(const std::string& text) override { board_.HoldBox(lane_, text); }

private:
    FlightBoard& board_;
    int lane_;
};

FlightBoard::FlightBoard(base::RunReport& to, base::ProgressCounter& counter, int lanes)
    : to_(to), counter_(counter), states_(static_cast<size_t>(lanes)) {
    for (int lane = 0; lane < lanes; ++lane) lanes_.emplace_back(new Lane(*this, lane));
}

FlightBoard::~FlightBoard() = default;

base::RunReport& FlightBoard::LaneReport(int lane) { return *lanes_[static_cast<size_t>(lane)]; }

void FlightBoard::Begin(int lane, uint64_t order, const std::string& fileName, uint64_t size) {
    const std::lock_guard<std::mutex> lock(lock_);
    State& state = states_[static_cast<size_t>(lane)];
    state.active = true;
    state.order = order;
    state.fileName = fileName;
    state.done = 0;
    state.total = size;
    state.heldBox.clear();
    Show(false);
}

void FlightBoard::End(int lane, bool staged, std::string& heldBox) {
    const std::lock_guard<std::mutex> lock(lock_);
    State& state = states_[static_cast<size_t>(lane)];
    state.active = false;
    heldBox.swap(state.heldBox);
    state.heldBox.clear();
    if (staged && !heldBox.empty()) {
        to_.ShowError(heldBox);
        heldBox.clear();
    }
    Show(false);
}

void FlightBoard::Flush() {
    const std::lock_guard<std::mutex> lock(lock_);
    Show(true);
}

void FlightBoard::Transferred(int lane, base::TransferProgress& progress) {
    const std::lock_guard<std::mutex> lock(lock_);
    State& state = states_[static_cast<size_t>(lane)];
    state.done = progress.done;
    state.total = progress.total;
    unshownBytes_ += progress.lastChunk;
    Show(false);
}

void FlightBoard::HoldBox(int lane, const std::string& text) {
    const std::lock_guard<std::mutex> lock(lock_);
    std::string& held = states_[static_cast<size_t>(lane)].heldBox;
    if (held.empty()) held = text;
}

int FlightBoard::EarliestLane() const {
    int earliest = -1;
    for (size_t lane = 0; lane < states_.size(); ++lane) {
        if (!states_[lane].active) continue;
        if (earliest < 0 || states_[lane].order < states_[static_cast<size_t>(earliest)].order)
            earliest = static_cast<int>(lane);
    }
    return earliest;
}

void FlightBoard::Show(bool now) {
    const DWORD tick = ::GetTickCount();
    if (!now && anyShown_ && tick - shownAt_ < kShowEveryMs) return;
    anyShown_ = true;
    shownAt_ = tick;
    const int earliest = EarliestLane();
    if (earliest >= 0 && earliest != shown_) {
        shown_ = earliest;
        to_.SetText(kFileNameLabel, states_[static_cast<size_t>(earliest)].fileName);
        to_.SetText(kStatusLabel, kTextReceiving);
    }
    if (shown_ < 0) return;
    // Every byte counts; the file bar and its label are the shown file's.
    const State& state = states_[static_cast<size_t>(shown_)];
    base::TransferProgress record;
    record.report = &to_;
    record.counter = &counter_;
    record.lastChunk = unshownBytes_;
    record.done = state.done;
    record.total = state.total;
    record.remaining = state.total - state.done;
    unshownBytes_ = 0;
    transfer::ReportProgress(record);
}

}  // namespace fetch
