#include "transfer/internet_request.h"

#include <cstdlib>

#include "base/ansi_text.h"
#include "transfer/transfer_errors.h"

namespace transfer {
namespace {

constexpr DWORD_PTR kContext = 1;

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

}  // namespace

InternetRequest::OpenResult InternetRequest::Send(const std::string& url, const SessionSettings& settings,
                                                  const std::string& headers, std::string& failureText) {
    session_.reset(::InternetOpenA("Vantero", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_) throw InternetException(::GetLastError());
    ApplySettings(session_.get(), settings);

    const std::string address = base::ReplaceAll(url, "\\", "/");
    ParsedUrl parsed;
    if (!ParseUrl(address, parsed)) {
        failureText = base::FormatText("AfxParseURL: %s\n%u\n%s\n%s\n%u", address.c_str(),
                                       static_cast<unsigned>(parsed.scheme), parsed.server.c_str(),
                                       parsed.object.c_str(), static_cast<unsigned>(parsed.port));
        return OpenResult::BadUrl;
    }
    connection_.reset(::InternetConnectA(session_.get(), parsed.server.c_str(), parsed.port, nullptr, nullptr,
                                         INTERNET_SERVICE_HTTP, 0, kContext));
    if (!connection_) {
        failureText = base::FormatText("GetHttpConnection: %s, %u", parsed.server.c_str(),
                                       static_cast<unsigned>(parsed.port));
        return OpenResult::NoConnection;
    }
    request_.reset(::HttpOpenRequestA(connection_.get(), "GET", parsed.object.c_str(), nullptr, nullptr, nullptr,
                                      kRequestFlags, kContext));
    if (!request_) {
        failureText = "OpenRequest Error!";
        return OpenResult::NoRequest;
    }
    // Windows hands the session's time-outs down to its connections and
    // requests; Wine keeps them on the session only, so they are repeated
    // on the request itself (same values, no change on Windows).
    ApplySettings(request_.get(), settings);
    ::HttpAddRequestHeadersA(request_.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                             HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!::HttpSendRequestA(request_.get(), nullptr, 0, nullptr, 0)) throw InternetException(::GetLastError());
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

size_t InternetRequest::ReadBlock(char* data, size_t size) {
    size_t filled = 0;
    while (filled < size) {
        DWORD got = 0;
        if (!::InternetReadFile(request_.get(), data + filled, static_cast<DWORD>(size - filled), &got))
            throw InternetException(::GetLastError());
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

int64_t ParseDecimal(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

}  // namespace transfer
