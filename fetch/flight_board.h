// What the window shows while several files are in flight. Each lane (a
// thread fetching one file after another) reports to its own report; the
// board passes every lane's bytes on to the run's report, so the total bar,
// the rate and the time left count them all, and shows one file as the file
// being received: the earliest in the plan's order still in flight, with its
// name and its own bar. The run's report is called by one lane at a time,
// and at most once per kShowEveryMs for the bytes and the file shown: small
// files end faster than a window can show them, and a lane waiting for the
// window is a lane not fetching.
// A lane's error box is held back until its file has ended: a file that
// fails leaves its box to the run, which shows it once every lane is done.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/run_report.h"

namespace fetch {

// The status while files are received.
extern const char kTextReceiving[];

class FlightBoard {
public:
    // Every byte passed on is counted by `counter` first.
    FlightBoard(base::RunReport& to, base::ProgressCounter& counter, int lanes);
    ~FlightBoard();
    FlightBoard(const FlightBoard&) = delete;
    FlightBoard& operator=(const FlightBoard&) = delete;

    // The report a lane's fetches use.
    base::RunReport& LaneReport(int lane);
    // The lane takes the plan's file number `order` of `size` bytes.
    void Begin(int lane, uint64_t order, const std::string& fileName, uint64_t size);
    // The lane's file has ended. A box it held back is shown now when the
    // file was staged, and handed to `heldBox` (empty when none) when it failed.
    void End(int lane, bool staged, std::string& heldBox);
    // Every lane has ended: the bytes not yet shown are shown.
    void Flush();

    static constexpr DWORD kShowEveryMs = 50;

private:
    class Lane;
    friend class Lane;
    void Transferred(int lane, base::TransferProgress& progress);
    void HoldBox(int lane, const std::string& text);
    // Call with the lock held: once kShowEveryMs have passed since the last
    // time (or always, with `now`), the earliest file in flight becomes the
    // one shown and the bytes that came since go to the run's report.
    void Show(bool now);
    int EarliestLane() const;

    std::mutex lock_;
    base::RunReport& to_;
    base::ProgressCounter& counter_;
    struct State {
        bool active = false;
        uint64_t order = 0;
        std::string fileName;
        uint64_t done = 0;
        uint64_t total = 0;
        std::string heldBox;
    };
    std::vector<State> states_;
    std::vector<std::unique_ptr<Lane>> lanes_;
    int shown_ = -1;
    uint64_t unshownBytes_ = 0;
    DWORD shownAt_ = 0;
    bool anyShown_ = false;
};

}  // namespace fetch
