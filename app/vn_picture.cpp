#include "app/vn_picture.h"

#include "base/unique_handle.h"

namespace app {

void CVNPicture::Paint(HDC dc) {
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(::SendMessageA(hwnd(), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info;
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info)) return;
    base::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap);
    ::TransparentBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                     m_clrTransparent);
    ::SelectObject(memory.get(), old);
}

LRESULT CVNPicture::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd(), &ps);
        Paint(dc);
        ::EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        HDC dc = ::GetDC(hwnd());
        Paint(dc);
        ::ReleaseDC(hwnd(), dc);
        return CallOriginal(message, wParam, lParam);
    }
    default:
        return SubclassedControl::WindowProc(message, wParam, lParam);
    }
}

}  // namespace app
