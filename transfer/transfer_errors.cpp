#include "transfer/transfer_errors.h"

#include "base/ansi_text.h"
#include "base/system_error.h"

namespace transfer {
namespace {

// WinINet's codes have their texts in wininet.dll; a code outside its range
// (a socket or TLS error passed through) is the system's.
std::string InternetErrorText(DWORD code) {
    std::string text = base::SystemErrorText(code, ::GetModuleHandleA("wininet.dll"));
    if (text.empty()) text = base::SystemErrorText(code);
    if (text.empty()) text = base::FormatText("Internet error %lu", static_cast<unsigned long>(code));
    return text;
}

std::string FileErrorText(DWORD code) {
    std::string text = base::SystemErrorText(code);
    if (text.empty()) text = base::FormatText("File error %lu", static_cast<unsigned long>(code));
    return text;
}

}  // namespace

CMyException::CMyException() : TransferException("파일 길이가 일치하지 않습니다.") {}

InternetException::InternetException(DWORD code) : TransferException(InternetErrorText(code)), code_(code) {}

FileException::FileException(DWORD code) : TransferException(FileErrorText(code)), code_(code) {}

}  // namespace transfer
