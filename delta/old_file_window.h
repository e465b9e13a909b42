// A window onto a file read front to back in large pieces, so that a scan
// can look at any span of up to one block ahead of where it stands without
// holding the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_system.h"

namespace delta {

class OldFileWindow {
public:
    // `longestSpan`: the longest span ever asked for.
    OldFileWindow(const std::string& path, size_t longestSpan);
    bool ok() const { return ok_; }
    uint64_t size() const { return size_; }
    // The bytes [position, position + length), which must lie inside the
    // file; null when reading failed. Valid until the next call.
    const uint8_t* Span(uint64_t position, size_t length);
    // Reads go no further than `end` (and the file's end): a search of one
    // stretch of the file reads that stretch and no piece of the next.
    void LimitReads(uint64_t end) { readEnd_ = end; }
    // True when [position, position + length) is already in memory.
    bool Holds(uint64_t position, size_t length) const {
        return position >= start_ && position + length <= start_ + filled_;
    }
    const uint8_t* At(uint64_t position) const { return buffer_.data() + (position - start_); }

private:
    base::ReadingFile file_;
    bool ok_ = false;
    uint64_t size_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t start_ = 0;  // file offset of buffer_[0]; the file pointer is at start_ + filled_
    size_t filled_ = 0;
    uint64_t readEnd_ = UINT64_MAX;
};

}  // namespace delta
