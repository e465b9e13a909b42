#include "transfer/resumable_transfer.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/link_guard.h"
#include "base/system_error.h"
#include "base/usable_path.h"
#include "transfer/http_transfer.h"
#include "base/local_files.h"
#include "transfer/transfer_errors.h"
#include "release/staging_layout.h"

namespace transfer {
namespace {

constexpr int kSampleAttempts = 10;
// A file of known size up to this size gets no marker of its own.
constexpr uint64_t kUnmarkedSize = 64 * 1024;

bool MarkerMatches(const std::string& markerPath, const char* markerText) {
    std::string content;
    if (!base::ReadFileToString(markerPath, content)) return false;
    return !content.empty() && content == markerText;
}

// The local file's first `head` and last `tail` bytes, in that order.
std::string ReadLocalSample(DiskFileSink& file, uint64_t length, uint64_t head, uint64_t tail) {
    std::string sample(static_cast<size_t>(head + tail), '\0');
    file.Seek(0);
    size_t got = file.Read(&sample[0], static_cast<size_t>(head));
    if (tail > 0) {
        file.Seek(length - tail);
        got += file.Read(&sample[static_cast<size_t>(head)], static_cast<size_t>(tail));
    }
    sample.resize(got);
    return sample;
}

// The download target. When a server or proxy ignores Range and answers a
// resumed request with the whole file, the file starts over from byte 0 with
// that body, under a freshly written marker. A target that hashes keeps the
// SHA-256 of every byte it holds as they are written.
class StagedFile : public DiskFileSink {
public:
    StagedFile(std::string markerPath, const char* markerText, bool hashes)
        : markerPath_(std::move(markerPath)), markerText_(markerText), hashes_(hashes) {}
    void Write(const char* data, size_t count) override {
        DiskFileSink::Write(data, count);
        if (hash_) hash_->Update(data, count);
        hashedBytes_ += count;
    }
    bool Restart() override {
        Seek(0);
        Truncate();
        StartHash();
        if (markerText_) base::WriteStringToFile(markerPath_, markerText_);
        return true;
    }
    // The bytes the file holds before the download goes on: its first
    // `length`, read once through this handle.
    void HashPresentBytes(uint64_t length, TransferBuffer& buffer) {
        StartHash();
        if (!hash_ || length == 0) return;
        Seek(0);
        while (hashedBytes_ < length) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size, length - hashedBytes_));
            const size_t got = Read(buffer.data.get(), want);
            if (got == 0) break;
            hash_->Update(buffer.data.get(), got);
            hashedBytes_ += got;
        }
        SeekToEnd();
    }
    // Hands the open file over with its digest. A digest that does not cover
    // exactly the file's bytes (a write that broke off part way) is not one.
    void HandOver(WrittenFile& written) {
        written.hashed = hash_ && hash_->Finish(written.sha256) && hashedBytes_ == Length();
        written.size = Length();
        written.file = TakeHandle();
    }

private:
    void StartHash() {
        // One provider for every file: acquiring one costs more than hashing a small file.
        hash_.reset(hashes_ ? new crypto::Sha256(crypto::SharedHasher()) : nullptr);
        hashedBytes_ = 0;
    }

    std::string markerPath_;
    const char* markerText_;
    bool hashes_;
    std::unique_ptr<crypto::Sha256> hash_;
    uint64_t hashedBytes_ = 0;
};

// How a partial file kept under a matching marker is taken up.
enum class PartialCheck {
    kSampled,  // continued when its first and last bytes are the remote file's
    kByCaller,  // continued when it is no longer than the file; the caller checks the whole file after
};

// Opens the download target. A partial file kept under a matching marker is
// continued when it checks out, otherwise emptied; anything else is created
// afresh. `offset` gets the first byte to fetch. False when the file cannot
// be opened.
bool OpenTarget(base::RunReport& report, DiskFileSink& file, const std::string& target, bool resume,
                PartialCheck check, uint64_t size, TransferBuffer& buffer, const std::string& url, int attempts,
                const ExpectedLength& expected, uint64_t& offset) {
    offset = 0;
    if (!resume) return file.Open(target, DiskFileSink::Mode::CreateTruncate);
    if (!file.Open(target, DiskFileSink::Mode::OpenExisting)) return false;
    try {
        const bool continues = check == PartialCheck::kByCaller
                                   ? file.Length() <= size
                                   : VerifyPartialFile(report, buffer, url, file, 1024, attempts, expected) == kTransferDone;
        if (continues) {
            offset = file.Length();
        } else {
            file.Seek(0);
            file.Truncate();
        }
        file.SeekToEnd();
        return true;
    } catch (const TransferException&) {
        return false;
    }
}

// The drive of `target` has room for the rest of a file of `size` bytes,
// counting what a partial copy there already holds.
bool FitsOnDrive(const std::string& target, uint64_t size) {
    WIN32_FILE_ATTRIBUTE_DATA present = {};
    uint64_t held = 0;
    if (::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &present))
        held = (static_cast<uint64_t>(present.nFileSizeHigh) << 32) | present.nFileSizeLow;
    if (held >= size) return true;
    std::vector<char> root(target.begin(), target.end());
    root.push_back('\0');
    ::PathStripToRootA(root.data());
    ULARGE_INTEGER available;
    return ::GetDiskFreeSpaceExA(root[0] ? root.data() : nullptr, &available, nullptr, nullptr) &&
           size - held <= available.QuadPart;
}

}  // namespace

bool LeftUnderMarker(const std::string& target, const std::string& markerText) {
    return ::PathFileExistsA(target.c_str()) && MarkerMatches(release::MarkerPath(target), markerText.c_str());
}

TransferResult GetRemoteFileSize(base::RunReport& report, const std::string& url, uint64_t& size, int attempts,
                      const ExpectedLength& expected) {
    TransferBuffer buffer(32768);
    std::string message;
    for (int made = 0; made < attempts; ++made) {
        TransferProgress record;
        try {
            if (HttpGetFile(&message, &record, buffer, url, std::string(), false, expected)) {
                size = record.total;
                return kTransferDone;
            }
        } catch (const InternetException& e) {
            message = e.message();
        }
    }
    report.ShowError(message);
    size = 0;
    return kTransferFailed;
}

TransferResult HttpGetRangeRetry(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                      TransferSink& sink, uint64_t fileSize, uint64_t& received, uint64_t first,
                      uint64_t last, int attempts) {
    TransferProgress record;
    record.report = progress ? progress->report : nullptr;
    record.counter = progress ? progress->counter : nullptr;
    uint64_t start = first;
    std::string message;
    for (int made = 0; made < attempts; ++made) {
        try {
            const TransferResult result = HttpGetRange(&record, buffer, url, sink, fileSize, received, start, last);
            received = record.done;
            return result;
        } catch (const WholeFileAnswer&) {
            received = record.done;
            throw;  // asking again brings the whole file again
        } catch (const TransferException& e) {
            start = first + record.done;
            message = e.message();
        }
    }
    received = record.done;
    base::ReportOf(progress).ShowError(message);
    return kTransferFailed;
}

TransferResult VerifyPartialFile(base::RunReport& report, TransferBuffer& buffer, const std::string& url, DiskFileSink& file,
                      int32_t sample, int attempts, const ExpectedLength& expected) {
    try {
        const uint64_t length = file.Length();
        uint64_t remoteSize = 0;
        if (!GetRemoteFileSize(report, url, remoteSize, attempts, expected)) return kTransferFailed;
        if (remoteSize == 0 || length == 0 || length > remoteSize) return kTransferFailed;

        const uint64_t sampleSize = sample > 0 ? static_cast<uint64_t>(sample) : 0;
        const uint64_t head = std::min(sampleSize, length);
        const uint64_t tail = std::min(sampleSize, length - head);
        MemorySink remote;
        uint64_t got = 0;
        // The samples' bytes are not the file's progress; their failures still show.
        base::ProgressFreeReport quiet(report);
        TransferProgress samples;
        samples.report = &quiet;
        if (!HttpGetRangeRetry(&samples, buffer, url, remote, remoteSize, got, 0, head - 1, kSampleAttempts) ||
            got != head)
            return kTransferFailed;
        if (tail > 0 && (!HttpGetRangeRetry(&samples, buffer, url, remote, remoteSize, got, length - tail,
                                            length - 1, kSampleAttempts) ||
                         got != tail))
            return kTransferFailed;
        return ReadLocalSample(file, length, head, tail) == remote.bytes() ? kTransferDone : kTransferFailed;
    } catch (const TransferException&) {
        return kTransferFailed;
    }
}

namespace {

// The download once the remote size is known: the marker, the target, and
// ranged requests for the bytes still missing.
TransferResult FetchIntoTarget(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                    const std::string& target, const char* markerText, int attempts, uint64_t remoteSize,
                    PartialCheck check, const ExpectedLength& expected, WrittenFile* kept) {
    base::RunReport& report = base::ReportOf(progress);
    if (!FitsOnDrive(target, remoteSize)) {
        report.ShowError(base::SystemErrorText(ERROR_DISK_FULL));
        return kTransferFailed;
    }

    const std::string markerPath = markerText ? release::MarkerPath(target) : std::string();
    const bool markerMatches = markerText && MarkerMatches(markerPath, markerText);
    // A small file of known size is fetched again whole rather than
    // continued: no marker is written for it (two file operations fewer a
    // file, which counts in a release of thousands of small files), while
    // one an earlier run left is still honoured.
    const bool marks =
        markerText && (markerMatches || check != PartialCheck::kByCaller || remoteSize > kUnmarkedSize);
    if (marks && !markerMatches) base::WriteStringToFile(markerPath, markerText);

    StagedFile file(markerPath, marks ? markerText : nullptr, kept != nullptr);
    uint64_t offset = 0;
    const bool resume = markerMatches && ::PathFileExistsA(target.c_str());
    if (!OpenTarget(report, file, target, resume, check, remoteSize, buffer, url, attempts, expected, offset))
        return kTransferFailed;
    if (kept) {
        try {
            file.HashPresentBytes(offset, buffer);
        } catch (const TransferException&) {
            return kTransferFailed;
        }
    }
    // The download has ended with the whole file: a kept file goes to the
    // caller still open, any other is closed.
    const auto finish = [&] {
        if (kept) {
            file.HandOver(*kept);
        } else {
            file.Close();
        }
        if (marks) base::DeleteName(markerPath);
    };

    const uint64_t last = remoteSize - 1;
    const int64_t missing = static_cast<int64_t>(remoteSize - offset);
    if (missing <= 0) {
        if (progress) {
            progress->lastChunk = progress->done = progress->remaining = 0;
            ReportProgress(*progress);
        }
        if (kept) file.HandOver(*kept);
        return kTransferDone;
    }
    if (offset > 0 && progress) {
        progress->lastChunk = progress->done = offset;
        progress->remaining = static_cast<uint64_t>(missing);
        ReportProgress(*progress);
    }

    TransferProgress record;
    record.report = progress ? progress->report : nullptr;
    record.counter = progress ? progress->counter : nullptr;
    record.total = remoteSize;
    record.remaining = static_cast<uint64_t>(missing);
    record.done = offset;
    std::string message;
    for (int made = 0;; ++made) {
        if (made >= attempts) {
            report.ShowError(message);
            return kTransferFailed;
        }
        try {
            uint64_t received = 0;
            const TransferResult result = HttpGetRange(&record, buffer, url, file, remoteSize, received, offset, last);
            finish();
            return result;
        } catch (const TransferException& e) {
            offset = record.total - record.remaining;
            message = e.message();
        }
    }
}

}  // namespace

TransferResult DownloadFileResumable(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                          const std::string& target, const char* markerText, int attempts,
                          const ExpectedLength& expected) {
    // A target that cannot be a file (a list entry's name can be anything)
    // fails before any request, as one that cannot be created would.
    if (!base::IsUsablePath(target)) return kTransferFailed;
    uint64_t remoteSize = 0;
    if (!GetRemoteFileSize(base::ReportOf(progress), url, remoteSize, attempts, expected) || remoteSize == 0)
        return kTransferFailed;
    return FetchIntoTarget(progress, buffer, url, target, markerText, attempts, remoteSize, PartialCheck::kSampled,
                           expected, nullptr);
}

TransferResult DownloadFileOfKnownSize(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                            const std::string& target, const char* markerText, int attempts, uint64_t size,
                            WrittenFile* kept) {
    if (!base::IsUsablePath(target) || size == 0) return kTransferFailed;
    return FetchIntoTarget(progress, buffer, url, target, markerText, attempts, size, PartialCheck::kByCaller,
                           ExpectedLength::Exactly(size), kept);
}

}  // namespace transfer
