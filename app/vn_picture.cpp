#include "app/vn_picture.h"

#include "base/gdi_guards.h"

namespace app {

void CVNPicture::Paint(HDC dc) {
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(::SendMessageA(hwnd(), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info;
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info)) return;
    const base::UniqueMemoryDc memory = base::CreateMemoryDc(dc);
    const base::SelectedObject selection(memory.get(), bitmap);
    ::TransparentBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                     m_clrTransparent);
}

LRESULT CVNPicture::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const base::PaintDc paint(hwnd());
        Paint(paint.get());
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        {
            const base::WindowDc dc(hwnd());
            Paint(dc.get());
        }
        return CallOriginal(message, wParam, lParam);
    }
    default:
        return SubclassedControl::WindowProc(message, wParam, lParam);
    }
}

}  // namespace app
