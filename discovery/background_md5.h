// MD5 computed on a thread of its own while the caller goes on reading, so
// that hashing a large file costs little more than reading it. The pieces
// are hashed in the order they are handed over.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "discovery/md5.h"

namespace discovery {

class BackgroundMd5 {
public:
    BackgroundMd5();
    // Stops the thread; a digest not asked for is dropped.
    ~BackgroundMd5();
    BackgroundMd5(const BackgroundMd5&) = delete;
    BackgroundMd5& operator=(const BackgroundMd5&) = delete;

    // Queues a piece; waits while a few pieces are still unhashed, which
    // bounds the memory held.
    void Update(std::string piece);
    // Waits for every queued piece and returns the digest.
    Md5Digest Finish();

private:
    void Run();

    Md5 md5_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> pieces_;
    bool closing_ = false;
    std::thread thread_;
};

}  // namespace discovery
