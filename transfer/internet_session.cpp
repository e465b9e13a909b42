#include "transfer/internet_session.h"

namespace transfer {
namespace {

// One run per process, on its worker thread.
HINTERNET g_runSession = nullptr;

}  // namespace

UniqueInternetHandle OpenInternetSession() {
    return UniqueInternetHandle(
        ::InternetOpenA("Vantero", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
}

void AllowConnectionsPerServer(DWORD count) {
    // Servers that answer as HTTP/1.0 have a limit of their own.
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &count, sizeof(count));
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &count, sizeof(count));
}

RunSession::RunSession() : handle_(OpenInternetSession()), previous_(g_runSession) {
    if (handle_) g_runSession = handle_.get();
}

RunSession::~RunSession() { g_runSession = previous_; }

HINTERNET RunSession::Current() { return g_runSession; }

}  // namespace transfer
