#include "tests/tools/uidriver/screenshot.h"

#include "base/unique_handle.h"

namespace uidriver {
namespace {

struct ScreenDc {
    HDC dc = ::GetDC(nullptr);
    ~ScreenDc() { ::ReleaseDC(nullptr, dc); }
};

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const void* bits, DWORD bitsSize) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + bitsSize;
    base::UniqueFile out(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    return ::WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
           ::WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
           ::WriteFile(out.get(), bits, bitsSize, &written, nullptr) && written == bitsSize;
}

}  // namespace

bool SaveWindowBitmap(HWND window, const std::string& path, int& width, int& height) {
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up rows, as a BMP file stores them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    info.bmiHeader.biSizeImage = stride * static_cast<DWORD>(height);

    ScreenDc screen;
    base::UniqueMemoryDc memory(::CreateCompatibleDC(screen.dc));
    void* bits = nullptr;
    base::UniqueGdiObject bitmap(::CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return false;
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    // The window as it is on the screen, skinned parts included.
    const BOOL copied = ::BitBlt(memory.get(), 0, 0, width, height, screen.dc, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(memory.get(), old);
    return copied && WriteBmp(path, info.bmiHeader, bits, info.bmiHeader.biSizeImage);
}

}  // namespace uidriver
