// MD5 over input that arrives in pieces while the caller is busy producing
// more (reading a large file). In the background mode the pieces are
// collected into batches and hashed, in order, on a thread of the object's
// own, so hashing overlaps the caller's work; otherwise each piece is hashed
// as it is committed. Both modes give the same digest.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

#include "release/md5.h"

namespace release {

class BatchedMd5 {
public:
    // `maxPiece`: the most one piece may hold. `background`: hash on a thread
    // of its own (falls back to hashing in place if the thread cannot start).
    BatchedMd5(size_t maxPiece, bool background);
    ~BatchedMd5();
    BatchedMd5(const BatchedMd5&) = delete;
    BatchedMd5& operator=(const BatchedMd5&) = delete;

    // Room for the next piece (maxPiece bytes); Commit says how much of it
    // was written.
    char* Room();
    void Commit(size_t length);
    // Hashes what is left and returns the digest; call once.
    Md5Digest Finish();

private:
    struct Batch {
        std::unique_ptr<char[]> data;
        size_t length = 0;
        bool last = false;  // the hashing thread ends after this one
    };
    static constexpr int kBatches = 2;

    void HashBatches();
    void HandOver(bool last);
    void StopThread();

    const size_t batchBytes_;
    Batch batches_[kBatches];
    int filling_ = 0;  // the batch the caller writes into
    // Batches are filled and hashed in turn; the counts say how many are
    // free for filling and how many are ready for hashing.
    std::mutex lock_;
    std::condition_variable changed_;
    int free_ = kBatches - 1;  // one is being filled
    int ready_ = 0;
    std::thread thread_;
    Md5 md5_;  // the hashing thread's while it runs
};

}  // namespace release
