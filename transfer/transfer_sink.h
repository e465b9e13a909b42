// Where the body of a ranged request goes: a file on disk or a block of
// memory. Writes go to the current position; a failed disk write throws
// FileException with the system's text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/unique_handle.h"
#include "crypto/sha256.h"

namespace transfer {

class TransferSink {
public:
    virtual ~TransferSink() = default;
    virtual void Write(const char* data, size_t count) = 0;
    // The file's path; empty for a memory sink.
    virtual std::string FilePath() const = 0;
    // A server or proxy that ignores Range answers with the whole file. A
    // sink that can take it empties itself and returns true, so that the
    // body is written from byte 0; the others refuse it.
    virtual bool Restart() { return false; }
};

// An open disk file. Open failures are reported by Open's result (callers
// stay silent about them); I/O failures throw FileException.
class DiskFileSink : public TransferSink {
public:
    enum class Mode {
        CreateTruncate,  // create or truncate, read and write
        OpenExisting,    // read and write, no truncation
    };
    // False when the file cannot be opened; the system error is in GetLastError.
    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return file_.valid(); }
    void Close() { file_.reset(); }
    // The open handle, now the caller's; the sink is closed.
    base::UniqueFile TakeHandle() { return std::move(file_); }

    void Write(const char* data, size_t count) override;
    std::string FilePath() const override { return path_; }

    uint64_t Length() const;
    void Seek(uint64_t position);
    void SeekToEnd();
    // Cuts the file at the current position.
    void Truncate();
    // Reads up to `count` bytes from the current position; returns how many came.
    size_t Read(char* data, size_t count);

private:
    base::UniqueFile file_;
    std::string path_;
};

// A download's file kept open after its last byte, with the SHA-256 of
// every byte it holds: hashed as they were written, and for a continued file
// read once from its start through the same handle. The handle was opened
// without sharing, so from the first byte to its close no one else can have
// written to the file. `hashed` is false when the provider failed; the file
// must then be read again through the handle.
struct WrittenFile {
    base::UniqueFile file;
    crypto::Sha256Digest sha256{};
    uint64_t size = 0;
    bool hashed = false;
};

// A growing block of memory, written from its end.
class MemorySink : public TransferSink {
public:
    void Write(const char* data, size_t count) override { bytes_.append(data, count); }
    std::string FilePath() const override { return std::string(); }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace transfer
