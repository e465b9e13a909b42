#include "release/batched_md5.h"

#include <system_error>

namespace release {
namespace {

// Input collected before a batch is handed over (the samples of 64 MiB of a
// file). Large enough that the hand-overs cost nothing measurable, small
// enough that little hashing is left once the caller has produced the last
// piece.
constexpr size_t kBackgroundBatch = 512 * 1024;

}  // namespace

BatchedMd5::BatchedMd5(size_t maxPiece, bool background) : batchBytes_(background ? kBackgroundBatch : 0) {
    // A batch is handed over once it holds batchBytes_, so it needs room for
    // one more piece beyond that.
    for (Batch& batch : batches_) batch.data.reset(new char[batchBytes_ + maxPiece]);
    if (!background) return;
    try {
        thread_ = std::thread(&BatchedMd5::HashBatches, this);
    } catch (const std::system_error&) {
        // hashed in place, as without a background
    }
}

BatchedMd5::~BatchedMd5() { StopThread(); }

char* BatchedMd5::Room() {
    Batch& batch = batches_[filling_];
    return batch.data.get() + batch.length;
}

void BatchedMd5::Commit(size_t length) {
    Batch& batch = batches_[filling_];
    batch.length += length;
    if (!thread_.joinable()) {
        md5_.Update(batch.data.get(), batch.length);
        batch.length = 0;
    } else if (batch.length >= batchBytes_) {
        HandOver(false);
    }
}

Md5Digest BatchedMd5::Finish() {
    StopThread();
    return md5_.Finish();
}

void BatchedMd5::HandOver(bool last) {
    std::unique_lock<std::mutex> hold(lock_);
    batches_[filling_].last = last;
    ++ready_;
    changed_.notify_all();
    if (last) return;
    filling_ = (filling_ + 1) % kBatches;
    changed_.wait(hold, [this] { return free_ > 0; });
    --free_;
}

// Hands over what the caller has filled so far as the last batch and waits
// until the thread has hashed it and everything before it.
void BatchedMd5::StopThread() {
    if (!thread_.joinable()) return;
    HandOver(true);
    thread_.join();
}

void BatchedMd5::HashBatches() {
    for (int next = 0;; next = (next + 1) % kBatches) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return ready_ > 0; });
            --ready_;
        }
        Batch& batch = batches_[next];
        md5_.Update(batch.data.get(), batch.length);
        if (batch.last) return;
        batch.length = 0;
        const std::lock_guard<std::mutex> hold(lock_);
        ++free_;
        changed_.notify_all();
    }
}

}  // namespace release
