#include "discovery/background_md5.h"

namespace discovery {
namespace {

constexpr size_t kMaxQueued = 4;

}  // namespace

BackgroundMd5::BackgroundMd5() : thread_([this] { Run(); }) {}

BackgroundMd5::~BackgroundMd5() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BackgroundMd5::Update(std::string piece) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pieces_.size() < kMaxQueued; });
    pieces_.push_back(std::move(piece));
    lock.unlock();
    changed_.notify_all();
}

Md5Digest BackgroundMd5::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    thread_.join();
    return md5_.Finish();
}

void BackgroundMd5::Run() {
    for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !pieces_.empty() || closing_; });
        if (pieces_.empty()) return;  // closing and nothing left
        std::string piece = std::move(pieces_.front());
        lock.unlock();
        md5_.Update(piece.data(), piece.size());
        lock.lock();
        pieces_.pop_front();
        lock.unlock();
        changed_.notify_all();
    }
}

}  // namespace discovery
