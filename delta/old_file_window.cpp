#include "delta/old_file_window.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace delta {
namespace {

// Reads of this size keep the cost per call small next to the scan.
constexpr size_t kReadPiece = 1024 * 1024;

}  // namespace

OldFileWindow::OldFileWindow(const std::string& path, size_t longestSpan)
    : file_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
      buffer_(longestSpan + kReadPiece) {
    LARGE_INTEGER size = {};
    if (file_ && ::GetFileSizeEx(file_.get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
    else file_.reset();
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
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(position);
        if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) return nullptr;
        filled_ = 0;
    }
    start_ = position;
    while (filled_ < length) {
        DWORD got = 0;
        const uint64_t readTo = std::min(std::max(readEnd_, position + length), size_);
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(buffer_.size() - filled_, readTo - (start_ + filled_)));
        if (!::ReadFile(file_.get(), buffer_.data() + filled_, want, &got, nullptr) || got == 0) return nullptr;
        filled_ += got;
    }
    return At(position);
}

}  // namespace delta
