// Answers the running-program dialog from a second thread of the test
// process while the code under test sits in its modal loop: it waits for
// each dialog, records the file list of edit 1002 and presses the button the
// test chose. After `maxDialogs` it presses "cancel", so no test can hang.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace installtest {

class DialogAnswerer {
public:
    // `choose(index)` runs for the index-th dialog (0-based) and returns the
    // button id to press (1004 retry or IDCANCEL).
    explicit DialogAnswerer(std::function<int(int)> choose, int maxDialogs = 5);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<std::string> listedTexts();

private:
    void Run();

    std::function<int(int)> choose_;
    int maxDialogs_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

}  // namespace installtest
