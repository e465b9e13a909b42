// The floor that Wine itself sets for a download: one plain WinINet GET with
// the updater's request flags, its body read in 32 KiB blocks straight into a
// file, nothing else. The updater's transfer layer is measured against it.
// Usage: wininet_floor.exe URL TARGET
#include <windows.h>
#include <wininet.h>

#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wininet_floor URL TARGET\n");
        return 2;
    }
    const std::string url = argv[1];
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return Fail("InternetCrackUrl");

    const double start = Seconds();
    UniqueInternetHandle session(::InternetOpenA("Vantero", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return Fail("InternetOpen");
    UniqueInternetHandle connection(
        ::InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection) return Fail("InternetConnect");
    UniqueInternetHandle request(::HttpOpenRequestA(connection.get(), "GET", path, nullptr, nullptr, nullptr,
                                                    transfer::kRequestFlags, 1));
    if (!request) return Fail("HttpOpenRequest");
    if (!::HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return Fail("HttpSendRequest");

    base::UniqueFile file(
        ::CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail("CreateFile");
    std::vector<char> block(32768);
    unsigned long long total = 0;
    for (;;) {
        DWORD got = 0;
        if (!::InternetReadFile(request.get(), block.data(), static_cast<DWORD>(block.size()), &got))
            return Fail("InternetReadFile");
        if (got == 0) break;
        DWORD written = 0;
        if (!::WriteFile(file.get(), block.data(), got, &written, nullptr) || written != got)
            return Fail("WriteFile");
        total += got;
    }
    const double seconds = Seconds() - start;
    std::printf("plain WinINet GET: %llu bytes in %.3f s: %.1f MiB/s\n", total, seconds,
                static_cast<double>(total) / seconds / 1048576.0);
    return 0;
}
