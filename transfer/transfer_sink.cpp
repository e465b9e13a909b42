#include "transfer/transfer_sink.h"

#include "base/link_guard.h"
#include "transfer/transfer_errors.h"

namespace transfer {

bool DiskFileSink::Open(const std::string& path, Mode mode) {
    const DWORD disposition = mode == Mode::CreateTruncate ? CREATE_ALWAYS : OPEN_EXISTING;
    // DELETE: a staged file the trust admits by this handle is renamed into
    // place through it.
    file_ = base::OpenForWriting(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, disposition);
    path_ = file_ ? path : std::string();
    return file_.valid();
}

void DiskFileSink::Write(const char* data, size_t count) {
    while (count > 0) {
        DWORD written = 0;
        const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        if (!::WriteFile(file_.get(), data, chunk, &written, nullptr)) throw FileException(::GetLastError());
        if (written == 0) throw FileException(ERROR_WRITE_FAULT);
        data += written;
        count -= written;
    }
}

uint64_t DiskFileSink::Length() const {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file_.get(), &size)) throw FileException(::GetLastError());
    return static_cast<uint64_t>(size.QuadPart);
}

void DiskFileSink::Seek(uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) throw FileException(::GetLastError());
}

void DiskFileSink::SeekToEnd() {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) throw FileException(::GetLastError());
}

void DiskFileSink::Truncate() {
    if (!::SetEndOfFile(file_.get())) throw FileException(::GetLastError());
}

size_t DiskFileSink::Read(char* data, size_t count) {
    size_t total = 0;
    while (total < count) {
        DWORD got = 0;
        if (!::ReadFile(file_.get(), data + total, static_cast<DWORD>(count - total), &got, nullptr))
            throw FileException(::GetLastError());
        if (got == 0) break;
        total += got;
    }
    return total;
}

}  // namespace transfer
