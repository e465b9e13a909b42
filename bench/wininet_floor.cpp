// The floor that Wine itself sets for a download: plain WinINet GETs with
// the updater's request flags, each body read in 32 KiB blocks straight into a
// file, nothing else. The updater's transfer layer is measured against it.
// Usage: wininet_floor.exe URL TARGET
//        wininet_floor.exe @URL_LIST TARGET   (one URL a line, all on one host:
//        one session and one connection for all, one GET after another, every
//        body written over TARGET)
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "bench/bench_support.h"
#include "transfer/internet_request.h"

namespace {

using transfer::UniqueInternetHandle;

int Fail(const char* what) {
    std::fprintf(stderr, "%s failed: error %lu\n", what, static_cast<unsigned long>(::GetLastError()));
    return 1;
}

struct UrlParts {
    std::string host;
    INTERNET_PORT port = 0;
    std::string path;
};

bool Crack(const std::string& url, UrlParts& out) {
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
    out = {host, parts.nPort, path};
    return true;
}

std::vector<std::string> Urls(const std::string& argument) {
    if (argument.empty() || argument[0] != '@') return {argument};
    std::vector<std::string> urls;
    std::ifstream list(argument.substr(1));
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) urls.push_back(line);
    }
    return urls;
}

// One GET on the connection, its body written over `target`; the bytes or -1.
long long Fetch(HINTERNET connection, const std::string& path, const char* target) {
    UniqueInternetHandle request(::HttpOpenRequestA(connection, "GET", path.c_str(), nullptr, nullptr, nullptr,
                                                    transfer::kRequestFlags, 1));
    if (!request) return Fail("HttpOpenRequest"), -1;
    if (!::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return Fail("HttpSendRequest"), -1;
    base::UniqueFile file(
        ::CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail("CreateFile"), -1;
    std::vector<char> block(32768);
    long long total = 0;
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request.get(), block.data(), static_cast<DWORD>(block.size()), &got))
            return Fail("InternetReadFile"), -1;
        if (got == 0) return total;
        DWORD written = 0;
        if (!::WriteFile(file.get(), block.data(), got, &written, nullptr) || written != got)
            return Fail("WriteFile"), -1;
        total += got;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wininet_floor URL|@URL_LIST TARGET\n");
        return 2;
    }
    const std::vector<std::string> urls = Urls(argv[1]);
    UrlParts first;
    if (urls.empty() || !Crack(urls[0], first)) return Fail("InternetCrackUrl");

    const double start = Seconds();
    UniqueInternetHandle session(::InternetOpenA("Vantero", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return Fail("InternetOpen");
    UniqueInternetHandle connection(::InternetConnectA(session.get(), first.host.c_str(), first.port, nullptr,
                                                       nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) return Fail("InternetConnect");
    unsigned long long total = 0;
    for (const std::string& url : urls) {
        UrlParts parts;
        if (!Crack(url, parts)) return Fail("InternetCrackUrl");
        const long long got = Fetch(connection.get(), parts.path, argv[2]);
        if (got < 0) return 1;
        total += static_cast<unsigned long long>(got);
    }
    const double seconds = Seconds() - start;
    std::printf("plain WinINet GET: %zu request(s), %llu bytes in %.3f s: %.1f MiB/s\n", urls.size(), total,
                seconds, static_cast<double>(total) / seconds / 1048576.0);
    return 0;
}
