#include "transfer/http_transfer.h"

#include <algorithm>
#include <cstdio>

#include "base/ansi_text.h"
#include "base/local_files.h"
#include "transfer/internet_request.h"
#include "transfer/transfer_errors.h"

namespace transfer {
namespace {

constexpr SessionSettings kFileSettings = {4000, 2};
constexpr SessionSettings kRangeSettings = {5000, 3};
const char kFileHeaders[] = "Accept: */*\r\nUser-Agent: Vantero\r\n";

// The folder part of a path: the text before its last backslash, or the
// whole text when it has none.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

struct FileResult {
    TransferResult result = kTransferFailed;
    std::string text;
};

FileResult GetFile(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                   const std::string& destination, const ExpectedLength& expected) {
    FileResult out;
    InternetRequest request;
    if (request.Send(url, kFileSettings, kFileHeaders, out.text) != InternetRequest::OpenResult::Sent) return out;
    const DWORD status = request.StatusCode();
    if (status != HTTP_STATUS_OK) {
        out.text = base::FormatText("QueryInfoStatusCode: %u", static_cast<unsigned>(status));
        return out;
    }
    std::string lengthText;
    uint64_t length = 0;
    if (!request.QueryHeader(HTTP_QUERY_CONTENT_LENGTH, lengthText) || !ParseContentLength(lengthText, length)) {
        out.text = "파일 사이즈를 알 수 없습니다!";
        return out;
    }
    out.text = expected.Refusal(length);
    if (!out.text.empty()) return out;
    if (progress) progress->total = progress->remaining = length;
    if (destination.empty()) {
        request.Finish();
        out.result = kTransferDone;
        return out;
    }
    if (!base::CreateDirectories(FolderOf(destination))) {
        out.text = "CreateDirectories Error!";
        return out;
    }
    DiskFileSink file;
    if (!file.Open(destination, DiskFileSink::Mode::CreateTruncate)) {
        out.text = base::FormatText("file open error: %s", destination.c_str());
        return out;
    }
    uint64_t received = 0;
    while (received < length) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size, length - received));
        const size_t n = request.ReadBlock(buffer.data.get(), want);
        if (n == 0) break;
        received += n;
        file.Write(buffer.data.get(), n);
        if (progress && progress->report) {
            progress->remaining -= n;
            progress->lastChunk = n;
            ReportProgress(*progress);
        }
    }
    if (received != length) {
        out.text = base::FormatText("Size is different: %llu:%llu", length, received);
        return out;
    }
    request.Finish();
    out.result = kTransferDone;
    return out;
}

enum class Answer {
    Range,      // the requested bytes
    WholeFile,  // 200 with the whole file (as the size query knew it) instead
    Other,      // anything else: nothing of it may be written
};

// Before anything is written: is this answer the requested bytes? A 206
// must say it starts where asked; a 200 carries the whole file, which is
// the requested range only when the range starts at byte 0. A length the
// server announces must be a number and the requested one (without one the
// reads stop at the range's end). A 200 for another range is the whole file
// only when it announces the file's size: appended after the bytes already
// present it would corrupt the file, so it is told apart.
Answer ClassifyAnswer(const InternetRequest& request, DWORD status, uint64_t first, uint64_t last,
                      uint64_t fileSize) {
    const uint64_t expected = last - first + 1;
    std::string lengthText;
    const bool announced = request.QueryHeader(HTTP_QUERY_CONTENT_LENGTH, lengthText);
    uint64_t length = 0;
    if (announced && !ParseContentLength(lengthText, length)) return Answer::Other;
    if (status == HTTP_STATUS_OK) {
        if (first == 0 && (!announced || length == expected)) return Answer::Range;
        return announced && length == fileSize && fileSize > 0 ? Answer::WholeFile : Answer::Other;
    }
    if (announced && length != expected) return Answer::Other;
    std::string range;
    if (!request.QueryHeader(HTTP_QUERY_CONTENT_RANGE, range)) return Answer::Other;
    unsigned long long from = 0, to = 0;
    if (std::sscanf(range.c_str(), "bytes %llu-%llu", &from, &to) != 2) return Answer::Other;
    return from == first && to == last ? Answer::Range : Answer::Other;
}

}  // namespace

TransferResult HttpGetFile(std::string* diagnostic, TransferProgress* progress, TransferBuffer& buffer,
                const std::string& url, const std::string& destination, bool errorBox,
                const ExpectedLength& expected) {
    const FileResult out = GetFile(progress, buffer, url, destination, expected);
    if (diagnostic) *diagnostic = out.text;
    if (errorBox && !out.result) base::ReportOf(progress).ShowError(out.text);
    return out.result;
}

TransferResult HttpGetRange(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                 TransferSink& sink, uint64_t fileSize, uint64_t& received, uint64_t first, uint64_t last) {
    const std::string headers = base::FormatText(
        "Accept: */*\r\nUser-Agent: Vantero\r\nRange: bytes=%llu-%llu\r\n\r\n", first, last);
    std::string unused;
    InternetRequest request;
    if (request.Send(url, kRangeSettings, headers, unused) != InternetRequest::OpenResult::Sent) return kTransferFailed;
    const DWORD status = request.StatusCode();
    if (status != HTTP_STATUS_OK && status != HTTP_STATUS_PARTIAL_CONTENT) return kTransferFailed;
    uint64_t expected = last - first + 1;
    if (progress) {
        progress->total = fileSize;
        progress->remaining = expected;
    }
    const std::string path = sink.FilePath();
    if (!path.empty() && !base::CreateDirectories(FolderOf(path))) return kTransferFailed;
    // Bytes of this file the window has already counted: a body that starts
    // the file over counts only once it passes them.
    const uint64_t counted = progress ? progress->done : 0;
    switch (ClassifyAnswer(request, status, first, last, fileSize)) {
    case Answer::Range:
        break;
    case Answer::WholeFile:
        if (!sink.Restart()) throw WholeFileAnswer();
        expected = fileSize;
        if (progress) {
            progress->done = 0;
            progress->remaining = fileSize;
        }
        break;
    case Answer::Other:
        throw CMyException();
    }

    uint64_t count = 0;
    char* const block = buffer.data.get();
    while (count < expected) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size, expected - count));
        const size_t n = request.ReadBlock(block, want);
        if (n == 0) break;
        // The block that completes the range is written only when nothing
        // follows it: only bytes the range asked for ever reach the sink.
        char probe;
        if (count + n == expected && request.ReadBlock(&probe, 1)) throw CMyException();
        sink.Write(block, n);
        if (progress) {
            const uint64_t before = progress->done;
            progress->remaining -= n;
            progress->done += n;
            progress->lastChunk = progress->done > counted ? progress->done - std::max(before, counted) : 0;
            ReportProgress(*progress);
        }
        count += n;
    }
    if (count != expected) throw CMyException();
    request.Finish();
    received = count;
    return kTransferDone;
}

}  // namespace transfer
