#include "app/text_progress_ctrl.h"

#include <commctrl.h>

#include <cmath>
#include <cstring>

#include "app/mem_dc.h"
#include "base/gdi_guards.h"
#include "base/ansi_text.h"

namespace app {
namespace {

HFONT CreateBarFont() {
    LOGFONTA font = {};
    font.lfHeight = 15;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = HANGEUL_CHARSET;
    std::strcpy(font.lfFaceName, "Tahoma");
    return ::CreateFontIndirectA(&font);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left) return;
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawClipped(HDC dc, const RECT& clip, const RECT& whole, const std::string& text, COLORREF colour) {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    ::SetTextColor(dc, colour);
    RECT area = whole;
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::RestoreDC(dc, saved);
}

}  // namespace

CTextProgressCtrl::CTextProgressCtrl()
    : m_clrFilled(::GetSysColor(COLOR_HIGHLIGHT)),
      m_clrTextOnFilled(::GetSysColor(COLOR_WINDOW)),
      m_font(CreateBarFont()) {}

int CTextProgressCtrl::FilledWidth(int position) const {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    if (m_nUpper == m_nLower) return 0;
    return static_cast<int>(std::trunc(static_cast<double>(position - m_nLower) / (m_nUpper - m_nLower) *
                                       (client.right - client.left)));
}

int CTextProgressCtrl::SetPos(int position) {
    if (!hwnd() || !::IsWindow(hwnd())) return -1;
    const int previous = m_nPosition;
    m_nPosition = position;
    const int width = FilledWidth(position);
    if (width != m_nFilledWidth) {
        m_nFilledWidth = width;
        ::InvalidateRect(hwnd(), nullptr, FALSE);  // painted whole, with the window's next paint
    }
    return previous;
}

void CTextProgressCtrl::SetRange(int lower, int upper) {
    m_nLower = lower;
    m_nUpper = upper;
}

void CTextProgressCtrl::Paint() {
    const base::PaintDc paint(hwnd());
    const HDC target = paint.get();
    ++m_paintCount;
    if (m_nLower < m_nUpper) {
        const double fraction = static_cast<double>(m_nPosition - m_nLower) / (m_nUpper - m_nLower);
        CMemDC buffer(target);
        HDC dc = buffer.dc();
        RECT client;
        ::GetClientRect(hwnd(), &client);
        const int split = client.left + static_cast<int>(std::trunc((client.right - client.left) * fraction));
        RECT filled = client, empty = client;
        filled.right = split < client.right ? split : client.right;
        empty.left = split > client.left ? split : client.left;
        FillSolid(dc, filled, m_clrFilled);
        FillSolid(dc, empty, m_clrEmpty);
        if (m_bShowText) {
            const std::string text = m_strText.empty()
                                         ? base::FormatText("%d%%", static_cast<int>(std::trunc(fraction * 100)))
                                         : m_strText;
            const base::SelectedObject font(dc, m_font.get());
            ::SetBkMode(dc, TRANSPARENT);
            DrawClipped(dc, filled, client, text, m_clrTextOnFilled);
            DrawClipped(dc, empty, client, text, m_clrTextOnEmpty);
        }
    }
}

LRESULT CTextProgressCtrl::OnSetText(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallOriginal(WM_SETTEXT, wParam, lParam);
    const char* text = reinterpret_cast<const char*>(lParam);
    const bool differs = text ? m_strText != text : !m_strText.empty();
    if (differs) {
        m_strText = text ? text : "";
        ::InvalidateRect(hwnd(), nullptr, TRUE);
    }
    return result;
}

LRESULT CTextProgressCtrl::OnGetText(WPARAM bufferSize, LPARAM buffer) const {
    char* out = reinterpret_cast<char*>(buffer);
    if (!out || bufferSize == 0) return 0;
    // Never cut a double-byte character in half.
    size_t length = 0;
    while (length < m_strText.size()) {
        const size_t step = base::IsLeadByte(static_cast<unsigned char>(m_strText[length])) ? 2 : 1;
        if (length + step > bufferSize - 1) break;
        length += step;
    }
    std::memcpy(out, m_strText.data(), length);
    out[length] = '\0';
    return static_cast<LRESULT>(length);
}

LRESULT CTextProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE: {
        const LRESULT result = CallOriginal(message, wParam, lParam);
        m_nFilledWidth = -1;
        return result;
    }
    case WM_SETTEXT:
        return OnSetText(wParam, lParam);
    case WM_GETTEXT:
        return OnGetText(wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(m_strText.size());
    // Range and position live here alone: the common control's own handling
    // would repaint on every position, pixel change or not.
    case PBM_SETRANGE32: {
        const LRESULT previous = MAKELONG(m_nLower, m_nUpper);
        SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
        return previous;
    }
    case PBM_GETRANGE:
        if (lParam) {
            reinterpret_cast<PBRANGE*>(lParam)->iLow = m_nLower;
            reinterpret_cast<PBRANGE*>(lParam)->iHigh = m_nUpper;
        }
        return wParam ? m_nLower : m_nUpper;
    case PBM_SETPOS:
        return SetPos(static_cast<int>(wParam));
    case PBM_GETPOS:
        return m_nPosition;
    default:
        return SubclassedControl::WindowProc(message, wParam, lParam);
    }
}

}  // namespace app
