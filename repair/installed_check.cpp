#include "repair/installed_check.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/unique_handle.h"
#include "crypto/sha256.h"

namespace repair {
namespace {

// Large reads keep the calls cheap next to the hashing, and a block stays in
// the processor's cache between the read and the hash.
constexpr DWORD kReadBlock = 256 * 1024;
constexpr unsigned kMostThreads = 4;

class Check {
public:
    explicit Check(const std::vector<FileToCheck>& files)
        : files_(files), intact_(files.size(), 0), fileDone_(new std::atomic<uint64_t>[files.size()]) {
        for (size_t i = 0; i < files.size(); ++i) fileDone_[i] = 0;
    }

    void Run(unsigned threads, CheckListener* listener, unsigned reportMs) {
        std::vector<std::thread> workers;
        try {
            for (unsigned i = 0; i < threads; ++i) workers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // No more threads to be had: the ones running take every file.
            threads = static_cast<unsigned>(workers.size());
        }
        if (threads == 0) {
            Work();  // not even one: on this thread, told at the end
            threads = 1;
        }
        {
            std::unique_lock<std::mutex> lock(mutex_);
            while (finished_ < threads) {
                ended_.wait_for(lock, std::chrono::milliseconds(reportMs));
                if (listener) {
                    lock.unlock();
                    Tell(*listener);
                    lock.lock();
                }
            }
        }
        for (std::thread& worker : workers) worker.join();
        if (listener) Tell(*listener);
    }

    std::vector<bool> Results() const { return std::vector<bool>(intact_.begin(), intact_.end()); }

private:
    void Work() {
        const crypto::Sha256Hasher provider;  // one a thread: a context is not shared between threads
        std::unique_ptr<char[]> block(new char[kReadBlock]);
        for (;;) {
            const size_t file = next_++;
            if (file >= files_.size()) break;
            begun_ = file;
            intact_[file] = provider.ok() && IsIntact(provider, files_[file], block.get(), fileDone_[file]);
            // A file cut short or not read still counts whole, so the bar reaches its end.
            allDone_ += files_[file].expected.size - fileDone_[file];
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++finished_;
        ended_.notify_one();
    }

    bool IsIntact(const crypto::Sha256Hasher& provider, const FileToCheck& file, char* block,
                  std::atomic<uint64_t>& done) {
        // Others may hold the file open, even for writing (a running client):
        // a check only reads, and what it finds is checked again when used.
        base::UniqueFile handle(::CreateFileA(file.path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size = {};
        if (!handle || !::GetFileSizeEx(handle.get(), &size) ||
            static_cast<uint64_t>(size.QuadPart) != file.expected.size)
            return false;
        crypto::Sha256 hash(provider);
        uint64_t read = 0;
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(handle.get(), block, kReadBlock, &got, nullptr)) return false;
            if (got == 0) break;
            read += got;
            if (read > file.expected.size || !hash.Update(block, got)) return false;
            done += got;
            allDone_ += got;
        }
        crypto::Sha256Digest digest;
        return read == file.expected.size && hash.Finish(digest) && digest == file.expected.sha256;
    }

    void Tell(CheckListener& listener) {
        CheckProgress progress;
        progress.current = begun_;
        if (progress.current < files_.size()) progress.currentDone = fileDone_[progress.current];
        progress.allDone = allDone_;
        listener.Progress(progress);
    }

    const std::vector<FileToCheck>& files_;
    std::vector<char> intact_;  // written by one thread per file, read after the join
    std::unique_ptr<std::atomic<uint64_t>[]> fileDone_;
    std::atomic<size_t> next_{0};
    std::atomic<size_t> begun_{0};
    std::atomic<uint64_t> allDone_{0};
    std::mutex mutex_;
    std::condition_variable ended_;
    unsigned finished_ = 0;
};

}  // namespace

std::vector<bool> CheckInstalledFiles(const std::vector<FileToCheck>& files, unsigned threads,
                                      CheckListener* listener, unsigned reportMs) {
    if (files.empty()) return {};
    if (threads == 0) threads = 1;
    if (threads > files.size()) threads = static_cast<unsigned>(files.size());
    Check check(files);
    check.Run(threads, listener, reportMs);
    return check.Results();
}

unsigned CheckThreadCount() {
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    const unsigned processors = system.dwNumberOfProcessors ? system.dwNumberOfProcessors : 1;
    return processors < kMostThreads ? processors : kMostThreads;
}

}  // namespace repair
