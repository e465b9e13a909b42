// A label that shows the parent's background behind its text. The pixels
// behind it are copied once, at the first text change or erase, and every
// later erase blits that copy back before the text is drawn again. A new
// text is painted with the window's next paint; a text it already shows
// changes nothing.
#pragma once

#include "base/subclassed_control.h"
#include "base/unique_handle.h"

namespace app {

class CTransparentStatic2 : public base::SubclassedControl {
public:
    int CaptureCount() const { return m_captureCount; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // True when the background was captured now (not already held).
    bool CaptureBackground();
    // The label's text is exactly `text` (null: empty).
    bool Shows(const char* text) const;
    void PaintBackground(HDC dc);

    base::UniqueGdiObject m_bmpBackground;
    int m_captureCount = 0;
};

}  // namespace app
