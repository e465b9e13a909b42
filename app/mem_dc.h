// Double buffering for one paint: drawing goes to an off-screen bitmap of the
// target's clip box, with the same coordinates, and is copied back at once
// when the object goes away. A printer context is drawn on directly.
#pragma once

#include <windows.h>

#include <optional>

#include "base/gdi_guards.h"

namespace app {

class CMemDC {
public:
    explicit CMemDC(HDC target);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC dc() const { return m_bMemDC ? m_memory.get() : m_original; }

private:
    base::UniqueGdiObject m_bitmap;
    HDC m_original;
    RECT m_rect{};
    bool m_bMemDC;
    base::UniqueMemoryDc m_memory;
    // Last, so that the buffer leaves the memory DC before the DC and the buffer go.
    std::optional<base::SelectedObject> m_selection;
};

}  // namespace app
