#include "transfer/transfer_errors.h"

#include "base/ansi_text.h"
#include "base/dll_search.h"
#include "base/system_error.h"

namespace transfer {
namespace {

// WinINet's codes have their texts in wininet.dll. It is delay-loaded, so a
// time-out decided before the run's first request finds it not yet loaded:
// load it from the system folder, as the first request would, and keep it
// loaded for the process's life, as that import would.
HMODULE InternetMessages() {
    static const HMODULE module = [] {
        HMODULE loaded = ::GetModuleHandleA("wininet.dll");
        return loaded ? loaded : base::LoadSystemLibrary("wininet.dll");
    }();
    return module;
}

// A code outside WinINet's range (a socket or TLS error passed through) is the system's.
std::string InternetErrorText(DWORD code) {
    std::string text = base::SystemErrorText(code, InternetMessages());
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
