// What keeps a WinINet connection alive between requests: makes a series of
// GETs in one of several ways and prints what it did; the connections they
// took are counted outside (the link simulator's tunnels, or the server's
// access log). Same access type, agent and request flags as the updater.
//
// keepalive_probe.exe URL COUNT [--session once|each] [--body read|abandon]
//                     [--flags HEX] [--header TEXT] [--pause-ms N] [--range A-B]
//   --session each   a new InternetOpen and InternetConnect for every request
//                    (the updater today); once: one of each for the series
//   --body abandon   close the request after the headers, its body unread
//   --flags          HttpOpenRequest flags (default the updater's 0xA4A00002)
//   --header         an extra request header line, e.g. "Connection: close"
//   --pause-ms       idle time before every request after the first
//   --range          ask for those bytes (Range: bytes=A-B)
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "transfer/internet_request.h"

namespace {

using transfer::UniqueInternetHandle;

struct Options {
    std::string url;
    int count = 0;
    bool sessionPerRequest = true;
    bool readBody = true;
    DWORD flags = transfer::kRequestFlags;
    std::string headers = "Accept: */*\r\nUser-Agent: Vantero\r\n";
    DWORD pauseMs = 0;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    if (argc < 3) return false;
    o.url = argv[1];
    o.count = std::atoi(argv[2]);
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--session" && (value == "once" || value == "each")) o.sessionPerRequest = value == "each";
        else if (name == "--body" && (value == "read" || value == "abandon")) o.readBody = value == "read";
        else if (name == "--flags") o.flags = std::strtoul(value.c_str(), nullptr, 16);
        else if (name == "--header") o.headers += value + "\r\n";
        else if (name == "--pause-ms") o.pauseMs = std::strtoul(value.c_str(), nullptr, 10);
        else if (name == "--range") o.headers += "Range: bytes=" + value + "\r\n";
        else return false;
    }
    return o.count > 0 && (argc - 3) % 2 == 0;
}

struct Target {
    std::string host, object;
    INTERNET_PORT port = 0;
};

bool CrackUrl(const std::string& url, Target& t) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
    t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    t.object.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) t.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    t.port = parts.nPort;
    return true;
}

class Series {
public:
    Series(const Options& o, const Target& t) : o_(o), t_(t) {}

    // One GET: status, then the body read to its end or left unread. Returns
    // the body bytes read, or -1 with the WinINet error printed.
    long long Get() {
        if (o_.sessionPerRequest || !connection_) {
            connection_.reset();
            session_.reset(::InternetOpenA("Vantero", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
            connection_.reset(::InternetConnectA(session_.get(), t_.host.c_str(), t_.port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 1));
        }
        UniqueInternetHandle request(::HttpOpenRequestA(connection_.get(), "GET", t_.object.c_str(), nullptr,
                                                        nullptr, nullptr, o_.flags, 1));
        if (!request || !::HttpAddRequestHeadersA(request.get(), o_.headers.c_str(),
                                                  static_cast<DWORD>(o_.headers.size()), HTTP_ADDREQ_FLAG_ADD_IF_NEW) ||
            !::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0))
            return Failed("send");
        if (!o_.readBody) return 0;
        long long total = 0;
        char buffer[32768];
        DWORD got = 0;
        do {
            if (!::InternetReadFile(request.get(), buffer, sizeof(buffer), &got)) return Failed("read");
            total += got;
        } while (got > 0);
        return total;
    }

private:
    static long long Failed(const char* what) {
        std::printf("%s failed: WinINet error %lu\n", what, ::GetLastError());
        return -1;
    }

    const Options& o_;
    const Target& t_;
    UniqueInternetHandle session_;
    UniqueInternetHandle connection_;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    Target t;
    if (!ParseOptions(argc, argv, o) || !CrackUrl(o.url, t)) {
        std::fprintf(stderr, "usage: keepalive_probe URL COUNT [--session once|each] [--body read|abandon] "
                             "[--flags HEX] [--header TEXT] [--pause-ms N] [--range A-B]\n");
        return 2;
    }
    Series series(o, t);
    const double start = Seconds();
    long long bytes = 0;
    for (int i = 0; i < o.count; ++i) {
        if (i > 0 && o.pauseMs) ::Sleep(o.pauseMs);
        const long long got = series.Get();
        if (got < 0) return 1;
        bytes += got;
    }
    std::printf("%d requests, %lld body bytes read, %.2f s\n", o.count, bytes, Seconds() - start);
    return 0;
}
