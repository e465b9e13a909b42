#include "transfer/internet_request.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "crypto/crypt_handles.h"
#include "transfer/run_patience.h"
#include "transfer/server_certificate.h"
#include "transfer/transfer_errors.h"

namespace transfer {

// What WinINet's callback reports of the request's pending operations, and
// where they put their results. It lives until both the request object and
// WinINet (HANDLE_CLOSING) are done with it: an operation broken off under
// Wine goes on after the worker has left, and completes into it.
struct RequestCompletion {
    static constexpr DWORD kBlockBytes = 32768;
    base::UniqueKernelHandle done{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    LONG references = 1;
    DWORD result = 0;
    DWORD error = 0;
    DWORD available = 0;
    DWORD read = 0;
    char block[kBlockBytes];

    void AddReference() { ::InterlockedIncrement(&references); }
    void Release() {
        if (::InterlockedDecrement(&references) == 0) delete this;
    }
};

namespace {

// The connection gets no context, so WinINet reports nothing of it.
constexpr DWORD_PTR kNoCallbacks = 0;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
    RequestCompletion* completion = reinterpret_cast<RequestCompletion*>(context);
    if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
        const INTERNET_ASYNC_RESULT* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
        completion->result = static_cast<DWORD>(result->dwResult);
        completion->error = result->dwError;
        ::SetEvent(completion->done.get());
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        completion->Release();
    }
}

void SetDwordOption(HINTERNET session, DWORD option, DWORD value) {
    ::InternetSetOptionA(session, option, &value, sizeof(value));
}

void ApplySettings(HINTERNET handle, const SessionSettings& s) {
    SetDwordOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_CONNECT_BACKOFF, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_SEND_TIMEOUT, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_LISTEN_TIMEOUT, s.timeoutMs);
    SetDwordOption(handle, INTERNET_OPTION_CONNECT_RETRIES, s.connectRetries);
}

struct ParsedUrl {
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    std::string server;
    std::string object;  // path and query
    INTERNET_PORT port = 0;
};

// An address WinINet can take: within its length limit and free of control
// characters, which would end the request line early. Parts of it (the
// version folder, a list entry's name) come from the server.
bool IsUsableUrl(const std::string& url) {
    if (url.size() > INTERNET_MAX_URL_LENGTH) return false;
    for (char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

bool ParseUrl(const std::string& url, ParsedUrl& parsed) {
    if (!IsUsableUrl(url)) return false;
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // ask for pointers into `url`
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    const BOOL ok = ::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts);
    parsed.scheme = parts.nScheme;
    parsed.port = parts.nPort;
    if (parts.lpszHostName) parsed.server.assign(parts.lpszHostName, parts.dwHostNameLength);
    if (parts.lpszUrlPath) parsed.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) parsed.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (parsed.object.empty()) parsed.object = "/";
    return ok && !parsed.server.empty();
}

// A call that went pending (true) or ended at once (false); other failures throw.
bool WentPending(BOOL ok) {
    if (ok) return false;
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) throw InternetException(error);
    return true;
}

// WinINet also trusts roots a user added to his own store: the server's
// chain must end in one of the machine's. Refused as WinINet refuses a
// certificate of an unknown CA, also when it hands over no certificate.
void RequireMachineRoot(HINTERNET request, const std::string& server) {
    PCCERT_CHAIN_CONTEXT received = nullptr;
    DWORD size = sizeof(received);
    if (!::InternetQueryOptionA(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &received, &size))
        received = nullptr;
    const crypto::UniqueCertChain owned(received);
    if (!ServerCertificateTrusted(owned.get(), server)) throw InternetException(ERROR_INTERNET_INVALID_CA);
}

}  // namespace

InternetRequest::~InternetRequest() {
    if (watch_.sent() && !finished_) SpendRunPatience(watch_.IdleMs());
    // Closing the request ends whatever it still has pending (on Windows;
    // under Wine the operation runs out on WinINet's thread).
    request_.reset();
    connection_.reset();
    ownSession_.reset();
    if (completion_) completion_->Release();
}

InternetRequest::OpenResult InternetRequest::Send(const std::string& url, const SessionSettings& settings,
                                                  const std::string& headers, std::string& failureText) {
    if (!RunPatienceLeft()) throw InternetException(ERROR_INTERNET_TIMEOUT);
    HINTERNET session = RunSession::Current();
    if (!session) {
        ownSession_ = OpenInternetSession();
        if (!ownSession_) throw InternetException(::GetLastError());
        session = ownSession_.get();
    }

    const std::string address = base::ReplaceAll(url, "\\", "/");
    ParsedUrl parsed;
    if (!ParseUrl(address, parsed)) {
        failureText = base::FormatText("AfxParseURL: %s\n%u\n%s\n%s\n%u", address.c_str(),
                                       static_cast<unsigned>(parsed.scheme), parsed.server.c_str(),
                                       parsed.object.c_str(), static_cast<unsigned>(parsed.port));
        return OpenResult::BadUrl;
    }
    connection_.reset(::InternetConnectA(session, parsed.server.c_str(), parsed.port, nullptr, nullptr,
                                         INTERNET_SERVICE_HTTP, 0, kNoCallbacks));
    if (!connection_) {
        failureText = base::FormatText("GetHttpConnection: %s, %u", parsed.server.c_str(),
                                       static_cast<unsigned>(parsed.port));
        return OpenResult::NoConnection;
    }
    // The session is shared by every kind of request: each kind's settings
    // go on its own connection handle, from which Windows hands them to the
    // request.
    ApplySettings(connection_.get(), settings);
    // Opened without a context, so that no callback can reach the completion
    // before the handle holds its own reference to it.
    request_.reset(::HttpOpenRequestA(connection_.get(), "GET", parsed.object.c_str(), nullptr, nullptr, nullptr,
                                      kRequestFlags, kNoCallbacks));
    completion_ = new RequestCompletion;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(completion_);
    if (!request_ ||
        !::InternetSetOptionA(request_.get(), INTERNET_OPTION_CONTEXT_VALUE, &context, sizeof(context))) {
        failureText = "OpenRequest Error!";
        return OpenResult::NoRequest;
    }
    completion_->AddReference();  // the handle's, given back when WinINet closes it
    // Only this request reports to the completion: the session and the
    // connection have no callback.
    ::InternetSetStatusCallbackA(request_.get(), OnStatus);
    // Repeated on the request itself, whose own settings are the ones Wine
    // keeps (same values, no change where they were handed down).
    ApplySettings(request_.get(), settings);
    ::HttpAddRequestHeadersA(request_.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                             HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    watch_.Sent();
    if (WentPending(::HttpSendRequestA(request_.get(), nullptr, 0, nullptr, 0))) {
        if (::WaitForSingleObject(completion_->done.get(), watch_.AnswerMsLeft()) != WAIT_OBJECT_0)
            throw InternetException(ERROR_INTERNET_TIMEOUT);
        if (!completion_->result) throw InternetException(completion_->error);
    }
    RequireMachineRoot(request_.get(), parsed.server);
    watch_.Answered();
    return OpenResult::Sent;
}

DWORD InternetRequest::StatusCode() const {
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                          nullptr))
        return 0;
    return status;
}

bool InternetRequest::QueryHeader(DWORD info, std::string& value) const {
    char text[256];
    DWORD length = sizeof(text);
    if (!::HttpQueryInfoA(request_.get(), info, text, &length, nullptr)) return false;
    value.assign(text, length);
    return true;
}

void InternetRequest::AwaitBody() {
    while (::WaitForSingleObject(completion_->done.get(), watch_.WindowMsLeft()) != WAIT_OBJECT_0) {
        if (!watch_.KeepsPace()) throw InternetException(ERROR_INTERNET_TIMEOUT);
    }
    if (!completion_->result) throw InternetException(completion_->error);
}

DWORD InternetRequest::BytesReady() {
    // After a wait the count is asked for again: what a completed query
    // wrote is not relied on.
    while (WentPending(::InternetQueryDataAvailable(request_.get(), &completion_->available, 0, 0))) AwaitBody();
    return completion_->available;
}

void InternetRequest::ReadReady(char* data, DWORD count) {
    completion_->read = 0;
    if (WentPending(::InternetReadFile(request_.get(), completion_->block, count, &completion_->read))) AwaitBody();
    std::copy(completion_->block, completion_->block + completion_->read, data);
    watch_.Received(completion_->read);
    if (!watch_.KeepsPace()) throw InternetException(ERROR_INTERNET_TIMEOUT);
}

size_t InternetRequest::ReadBlock(char* data, size_t size) {
    if (failure_) throw InternetException(failure_);
    size_t filled = 0;
    try {
        while (filled < size) {
            const DWORD ready = BytesReady();
            if (ready == 0) break;
            const DWORD count = static_cast<DWORD>(
                std::min<size_t>({ready, size - filled, static_cast<size_t>(RequestCompletion::kBlockBytes)}));
            ReadReady(data + filled, count);
            if (completion_->read == 0) break;
            filled += completion_->read;
        }
    } catch (const InternetException& e) {
        // The bytes that came before the failure are handed over first, so
        // that they are kept; the failure comes with the next read.
        if (filled == 0) throw;
        failure_ = e.code();
    }
    return filled;
}

bool ParseContentLength(const std::string& text, uint64_t& length) {
    if (text.empty() || text.size() > 18) return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    length = value;
    return true;
}

}  // namespace transfer
