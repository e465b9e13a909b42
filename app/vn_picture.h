// The background picture: the static control's bitmap drawn at its natural
// size with one colour (magenta) keyed out, so the rounded corners vanish.
#pragma once

#include "base/subclassed_control.h"

namespace app {

class CVNPicture : public base::SubclassedControl {
public:
    COLORREF m_clrTransparent = RGB(255, 0, 255);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
};

}  // namespace app
