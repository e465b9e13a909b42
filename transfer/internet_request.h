// One GET over WinINet, through the run's session (or one of its own outside
// a run), from opening the connection to reading the body. Internal to the
// transfer layer: HttpGetFile and HttpGetRange differ only in settings,
// headers and what they do with the answer.
//
// The session is asynchronous so that no server can hold the worker in a
// call: WinINet works on its own threads while the worker waits with the
// progress rule's deadlines (closing a handle does not end a blocking call
// under Wine). A request that misses a deadline is broken off with WinINet's
// time-out error; the time a failed request waited goes to the run's
// patience, and once that is spent no request is sent.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "transfer/attempt_watch.h"
#include "transfer/internet_session.h"

namespace transfer {

// Always TLS, never from or into the cache, no redirects followed:
// RELOAD | EXISTING_CONNECT | NO_CACHE_WRITE | SECURE | NO_AUTO_REDIRECT | TRANSFER_BINARY.
constexpr DWORD kRequestFlags = 0xA4A00002;
static_assert(kRequestFlags == (INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT |
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_SECURE |
                                INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_TRANSFER_BINARY),
              "request flags");

// Time-outs (ms) and connect retries of one kind of request, set on its
// connection and request handles.
struct SessionSettings {
    DWORD timeoutMs;
    DWORD connectRetries;
};

struct RequestCompletion;

class InternetRequest {
public:
    enum class OpenResult { Sent, BadUrl, NoConnection, NoRequest };

    InternetRequest() = default;
    ~InternetRequest();
    InternetRequest(const InternetRequest&) = delete;
    InternetRequest& operator=(const InternetRequest&) = delete;

    // Opens the connection and the request and sends it with
    // `headers`, waiting for the answer's headers. Failures before sending
    // are returned (with `failureText` filled as the request routines word
    // it); a failure of the session or of sending (connection, TLS,
    // time-out, no answer in time, no patience left) throws InternetException.
    OpenResult Send(const std::string& url, const SessionSettings& settings, const std::string& headers,
                    std::string& failureText);

    // 0 when the server sent no usable status.
    DWORD StatusCode() const;
    // False when the server did not send the header.
    bool QueryHeader(DWORD info, std::string& value) const;

    // Fills `data` with up to `size` bytes, stopping early only at the end
    // of the body or at a failure; 0 means the body has ended. Throws
    // InternetException, also when the body falls behind the progress rule
    // (bytes read before a failure are returned first, the failure is
    // thrown by the next call).
    size_t ReadBlock(char* data, size_t size);

    // The request has given its caller what it was for: its time is not
    // waiting. Without this, a request that was sent spends its idle time
    // from the run's patience when it goes.
    void Finish() { finished_ = true; }

private:
    // Waits, window by window, for the body's pending operation to complete
    // and throws when it fails or the body falls behind.
    void AwaitBody();
    // Bytes ready to be read now; 0 at the end of the body.
    DWORD BytesReady();
    // Reads `count` ready bytes into `data`.
    void ReadReady(char* data, DWORD count);

    RequestCompletion* completion_ = nullptr;  // shared with WinINet's callback
    AttemptWatch watch_;
    DWORD failure_ = 0;  // of the body, after the bytes before it were handed over
    bool finished_ = false;
    // Released in reverse order: request, connection, own session.
    UniqueInternetHandle ownSession_;  // only outside a run
    UniqueInternetHandle connection_;
    UniqueInternetHandle request_;
};

// A Content-Length value: decimal digits only, within 63 bits. False for a
// negative, signed, empty or non-numeric text, which never counts as 0.
bool ParseContentLength(const std::string& text, uint64_t& length);

}  // namespace transfer
