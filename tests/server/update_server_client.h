// The Windows side of the test update server: one served folder per test
// ("site"), its fault plan and the requests the server logged for it. The
// server runs on the Linux side (started by the CTest fixture
// "update_server"); its state is reached through drive Z:.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testserver {

// What the server logged about one request.
struct LoggedRequest {
    std::string file;     // path below the site's folder
    std::string kind;     // "whole" or "range"
    std::string range;    // the Range header's value, empty when none
    std::string headers;  // the full header block, "Name: value\r\n" per line, in order
    int status = 0;
    uint64_t bytes = 0;   // body bytes sent
    int attempt = 0;      // number of this request among the file's requests of its kind
    long long seq = 0;    // the server's running number of the request
    std::string fault;    // the fault injected, empty when none
};

// One rule of a fault plan: which request of which file gets which fault.
// fault: "drop" (arg = body bytes sent before the connection is cut),
// "ignore_range" (200 and the whole file), "no_length", "zero_length",
// "redirect", "status" (arg = status code), "short" / "long" (arg = bytes
// missing / added), "shift" (206 whose range starts arg bytes later),
// "stall" (arg = seconds of silence before the answer), "partial" (206 even
// to a request without Range), "length" (value = the Content-Length text;
// arg = body bytes sent, by default the file padded to a numeric claim),
// "trickle" (arg = body bytes sent
// at once, then a byte a second), "trickle_headers" (the headers a byte a
// second).
struct Fault {
    std::string file;         // path below the site's folder
    std::string kind;         // "whole", "range" or empty for both
    std::vector<int> nth;     // which requests (1-based, counted per kind when kind is set); empty: all
    std::string fault;
    int64_t arg = -1;         // -1: the server's default
    std::string value{};      // "length": the header's text
};

class TestSite {
public:
    // A fresh, empty folder of the served root, named after the test.
    explicit TestSite(const std::string& name);
    ~TestSite();
    TestSite(const TestSite&) = delete;
    TestSite& operator=(const TestSite&) = delete;

    // https://localhost:PORT/fs_c_get.php?fn=<site folder>/<file>
    std::string Url(const std::string& file) const;
    // The same file from the server whose certificate no trusted CA signed.
    std::string UntrustedUrl(const std::string& file) const;
    // The same file from the server whose certificate a CA signed that only
    // the user's own ROOT store holds.
    std::string UserRootUrl(const std::string& file) const;
    std::string BaseUrl() const;
    // Windows path of a file below the site's folder on the server side.
    std::string ServedPath(const std::string& file) const;
    void PutFile(const std::string& file, const std::string& bytes) const;

    // Replaces the site's fault plan and starts a new phase: request
    // counters start again at 1 and earlier requests are no longer listed.
    void SetFaults(const std::vector<Fault>& faults);
    // Every request the server has logged for this site in this phase, in arrival order.
    std::vector<LoggedRequest> Requests() const;
    std::vector<LoggedRequest> Requests(const std::string& file, const std::string& kind) const;

private:
    std::string folder_;
    std::string stateDir_;  // Windows path of BENCH_DIR\server\ with backslash
    int port_ = 0;
    int untrustedPort_ = 0;
    int userRootPort_ = 0;
    long long phaseStart_ = 0;  // log sequence number where the phase began
};

// The port the fixture's server listens on; the untrusted server's; the
// user-root server's.
int ServerPort();
int UntrustedServerPort();
int UserRootServerPort();

}  // namespace testserver
