// One GET over WinINet, from opening its own session to reading the body.
// Internal to the transfer layer: HttpGetFile and HttpGetRange differ only
// in settings, headers and what they do with the answer.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "base/unique_handle.h"

namespace transfer {

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::InternetCloseHandle(h); }
};
using UniqueInternetHandle = base::UniqueHandle<InternetHandleTraits>;

// Always TLS, never from or into the cache, no redirects followed:
// RELOAD | EXISTING_CONNECT | NO_CACHE_WRITE | SECURE | NO_AUTO_REDIRECT | TRANSFER_BINARY.
constexpr DWORD kRequestFlags = 0xA4A00002;
static_assert(kRequestFlags == (INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_TRANSFER_BINARY),
              "request flags");

// Time-outs (ms) and connect retries of one kind of request.
struct SessionSettings {
    DWORD timeoutMs;
    DWORD connectRetries;
};

class InternetRequest {
public:
    enum class OpenResult { Sent, BadUrl, NoConnection, NoRequest };

    // Opens the session, the connection and the request and sends it with
    // `headers`. Failures before sending are returned (with `failureText`
    // filled as the request routines word it); a failure of the session or
    // of sending (connection, TLS, time-out) throws InternetException.
    OpenResult Send(const std::string& url, const SessionSettings& settings, const std::string& headers,
                    std::string& failureText);

    // 0 when the server sent no usable status.
    DWORD StatusCode() const;
    // False when the server did not send the header.
    bool QueryHeader(DWORD info, std::string& value) const;

    // Fills `data` with up to `size` bytes, stopping early only at the end
    // of the body; 0 means the body has ended. Throws InternetException.
    size_t ReadBlock(char* data, size_t size);

private:
    // Released in reverse order: request, connection, session.
    UniqueInternetHandle session_;
    UniqueInternetHandle connection_;
    UniqueInternetHandle request_;
};

// Leading decimal digits of a header value as a signed 64-bit number (0 when none).
int64_t ParseDecimal(const std::string& text);

}  // namespace transfer
