#include "app/transparent_static.h"

#include <string>

#include "base/gdi_guards.h"

namespace app {

bool CTransparentStatic2::CaptureBackground() {
    if (m_bmpBackground) return false;
    HWND parent = ::GetParent(hwnd());
    RECT rect;
    ::GetWindowRect(hwnd(), &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;

    const base::WindowDc parentDc(parent);
    const base::UniqueMemoryDc memory = base::CreateMemoryDc(parentDc.get());
    base::UniqueGdiObject bitmap(::CreateCompatibleBitmap(parentDc.get(), width, height));
    if (memory && bitmap) {
        {
            const base::SelectedObject selection(memory.get(), bitmap.get());
            ::BitBlt(memory.get(), 0, 0, width, height, parentDc.get(), rect.left, rect.top, SRCCOPY);
        }
        m_bmpBackground = std::move(bitmap);
        ++m_captureCount;
    }
    return m_bmpBackground.valid();
}

bool CTransparentStatic2::Shows(const char* text) const {
    const std::string wanted = text ? text : "";
    std::string current(wanted.size() + 2, '\0');
    const LRESULT length =
        ::DefWindowProcA(hwnd(), WM_GETTEXT, current.size(), reinterpret_cast<LPARAM>(&current[0]));
    return static_cast<size_t>(length) == wanted.size() && current.compare(0, wanted.size(), wanted) == 0;
}

void CTransparentStatic2::PaintBackground(HDC dc) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const base::UniqueMemoryDc memory = base::CreateMemoryDc(dc);
    const base::SelectedObject selection(memory.get(), m_bmpBackground.get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CTransparentStatic2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        if (Shows(reinterpret_cast<const char*>(lParam))) return TRUE;
        CaptureBackground();
        // Stored without the class's own paint at once: the label is painted
        // (background, then text) with the window's next paint.
        const LRESULT result = ::DefWindowProcA(hwnd(), message, wParam, lParam);
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        return result;
    }
    case WM_ERASEBKGND:
        if (m_bmpBackground) {
            PaintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        }
        if (CaptureBackground()) return 1;
        return CallOriginal(message, wParam, lParam);
    default:
        return SubclassedControl::WindowProc(message, wParam, lParam);
    }
}

}  // namespace app
