#include "delta/old_file_window.h"

#include <algorithm>
#include <cstring>

namespace delta {
namespace {

// Reads of this size keep the cost per call small next to the scan.
constexpr size_t kReadPiece = 1024 * 1024;

}  // namespace

OldFileWindow::OldFileWindow(const std::string& path, size_t longestSpan)
    : file_(path, base::ReadingFile::Sharing::kReaders, true), buffer_(longestSpan + kReadPiece) {
    ok_ = file_.Size(size_);
}

const uint8_t* OldFileWindow::Span(uint64_t position, size_t length) {
    if (Holds(position, length)) return At(position);
    if (!ok() || position + length > size_) return nullptr;
    if (position >= start_ && position <= start_ + filled_) {
        // Keep what is already read past `position`; read on from there.
        const size_t keep = static_cast<size_t>(start_ + filled_ - position);
        std::memmove(buffer_.data(), At(position), keep);
        filled_ = keep;
    } else {
        if (!file_.Seek(position)) return nullptr;
        filled_ = 0;
    }
    start_ = position;
    while (filled_ < length) {
        size_t got = 0;
        const uint64_t readTo = std::min(std::max(readEnd_, position + length), size_);
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size() - filled_, readTo - (start_ + filled_)));
        if (!file_.Read(buffer_.data() + filled_, want, got) || got == 0) return nullptr;
        filled_ += got;
    }
    return At(position);
}

}  // namespace delta
