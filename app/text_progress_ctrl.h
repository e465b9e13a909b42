// A progress bar that paints itself: the done part and the rest in two
// colours, with a centred percentage (or a custom text) that changes colour
// exactly at the fill boundary. It keeps its own range and position, taken
// from PBM_SETRANGE32 / PBM_SETPOS, and repaints (with the window's next
// paint) only when the filled width in pixels changes.
#pragma once

#include <windows.h>

#include <string>

#include "base/subclassed_control.h"
#include "base/unique_handle.h"

namespace app {

class CTextProgressCtrl : public base::SubclassedControl {
public:
    CTextProgressCtrl();

    // Stores the position and asks for a repaint if the filled width changed.
    // Returns the previous position, or -1 when the window does not exist.
    int SetPos(int position);
    int GetPos() const { return m_nPosition; }
    void SetRange(int lower, int upper);
    // Paints since creation: lets a caller see that equal widths cost nothing.
    int PaintCount() const { return m_paintCount; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    int FilledWidth(int position) const;
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetText(WPARAM bufferSize, LPARAM buffer) const;

    int m_nPosition = 0;
    int m_nUpper = 100;
    int m_nLower = 0;
    std::string m_strText;
    int m_bShowText = 1;
    int m_nFilledWidth = -1;
    COLORREF m_clrFilled;
    COLORREF m_clrEmpty = RGB(42, 42, 42);
    COLORREF m_clrTextOnEmpty = RGB(235, 255, 255);
    COLORREF m_clrTextOnFilled;
    base::UniqueGdiObject m_font;
    int m_paintCount = 0;
};

}  // namespace app
