#include "app/mem_dc.h"

namespace app {

CMemDC::CMemDC(HDC target)
    : m_original(target), m_bMemDC(::GetDeviceCaps(target, TECHNOLOGY) != DT_RASPRINTER) {
    if (!m_bMemDC) return;
    ::GetClipBox(target, &m_rect);
    m_memory = base::CreateMemoryDc(target);
    m_bitmap.reset(::CreateCompatibleBitmap(target, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top));
    if (!m_memory || !m_bitmap) {
        m_bMemDC = false;  // no off-screen buffer to be had: draw directly
        return;
    }
    m_selection.emplace(m_memory.get(), m_bitmap.get());
    ::SetWindowOrgEx(m_memory.get(), m_rect.left, m_rect.top, nullptr);
}

CMemDC::~CMemDC() {
    if (!m_bMemDC) return;
    ::BitBlt(m_original, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top,
             m_memory.get(), m_rect.left, m_rect.top, SRCCOPY);
}

}  // namespace app
