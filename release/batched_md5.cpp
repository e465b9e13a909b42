#include "release/batched_md5.h"

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
    if (background && !StartThread()) thread_.reset();
}

BatchedMd5::~BatchedMd5() { StopThread(); }

bool BatchedMd5::StartThread() {
    free_.reset(::CreateSemaphoreA(nullptr, kBatches - 1, kBatches, nullptr));  // one is being filled
    ready_.reset(::CreateSemaphoreA(nullptr, 0, kBatches, nullptr));
    if (!free_ || !ready_) return false;
    thread_.reset(::CreateThread(nullptr, 0, &BatchedMd5::HashingThread, this, 0, nullptr));
    return thread_.valid();
}

char* BatchedMd5::Room() {
    Batch& batch = batches_[filling_];
    return batch.data.get() + batch.length;
}

void BatchedMd5::Commit(size_t length) {
    Batch& batch = batches_[filling_];
    batch.length += length;
    if (!thread_) {
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
    batches_[filling_].last = last;
    ::ReleaseSemaphore(ready_.get(), 1, nullptr);
    if (last) return;
    filling_ = (filling_ + 1) % kBatches;
    ::WaitForSingleObject(free_.get(), INFINITE);
}

// Hands over what the caller has filled so far as the last batch and waits
// until the thread has hashed it and everything before it.
void BatchedMd5::StopThread() {
    if (!thread_) return;
    HandOver(true);
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI BatchedMd5::HashingThread(void* self) {
    static_cast<BatchedMd5*>(self)->HashBatches();
    return 0;
}

void BatchedMd5::HashBatches() {
    for (int next = 0;; next = (next + 1) % kBatches) {
        ::WaitForSingleObject(ready_.get(), INFINITE);
        Batch& batch = batches_[next];
        md5_.Update(batch.data.get(), batch.length);
        if (batch.last) return;
        batch.length = 0;
        ::ReleaseSemaphore(free_.get(), 1, nullptr);
    }
}

}  // namespace release
