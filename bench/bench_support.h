// What the benchmark programs share: a wall clock and the plain read that
// hashing and downloads are measured against.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "base/message_box.h"
#include "base/unique_handle.h"

// Wall-clock seconds from the performance counter.
inline double Seconds() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Reads the whole file through a 1 MiB buffer; returns the bytes read.
inline uint64_t PlainRead(const std::string& path) {
    const base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return 0;
    const DWORD size = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[size]);
    uint64_t total = 0;
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer.get(), size, &got, nullptr) && got > 0) total += got;
    return total;
}

// A box a benchmark meets is printed and answered with OK: nobody is there to click.
inline void PrintBoxes() {
    base::SetMessageBoxHandler([](const std::string& text, UINT) {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return IDOK;
    });
}
