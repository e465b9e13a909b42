// A hidden stand-in for the main window: the labels and progress bars that
// discovery writes to, with every bar range and position and every transfer
// report recorded. It runs on a user-interface thread of its own, so
// discovery's labels, bars and reports cross threads synchronously, as they
// do from the worker to the real window. Read the records after the call
// under test has returned.
#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "base/window_protocol.h"
#include "transfer/transfer_records.h"

namespace testenv {

struct BarEvent {
    int id;
    bool isRange;  // PBM_SETRANGE32 (value = upper end) or PBM_SETPOS (value = position)
    int value;
    bool operator==(const BarEvent& o) const { return id == o.id && isRange == o.isRange && value == o.value; }
};

class RecordingWindow {
public:
    RecordingWindow();
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    std::string Text(WindowPart part) const;
    // Bar events of one control, in order.
    std::vector<BarEvent> BarEvents(int id) const;

    std::vector<BarEvent> barEvents;
    std::vector<transfer::TransferProgress> reports;

private:
    void Create();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK BarProc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    HANDLE ready_ = nullptr;
    std::thread thread_;
};

}  // namespace testenv
