// The self-painting progress bar and the transparent label on real windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/text_progress_ctrl.h"
#include "app/transparent_static.h"

namespace {

// A visible top-level window with one child control of the given class.
class HostWindow {
public:
    HostWindow(const char* childClass, int clientWidth, int clientHeight) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        host_ = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 10, 10, clientWidth + 40,
                                  clientHeight + 40, nullptr, nullptr, nullptr, nullptr);
        child_ = ::CreateWindowExA(0, childClass, "", WS_CHILD | WS_VISIBLE, 20, 20, clientWidth, clientHeight,
                                   host_, reinterpret_cast<HMENU>(1001), nullptr, nullptr);
        Pump();
    }
    ~HostWindow() { ::DestroyWindow(host_); }
    HWND child() const { return child_; }
    static void Pump() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    COLORREF PixelAt(int x, int y) const {
        HDC dc = ::GetDC(child_);
        const COLORREF colour = ::GetPixel(dc, x, y);
        ::ReleaseDC(child_, dc);
        return colour;
    }

private:
    HWND host_ = nullptr;
    HWND child_ = nullptr;
};

TEST(TextProgressCtrl, RepaintsOnlyWhenTheFilledWidthChanges) {
    HostWindow window(PROGRESS_CLASSA, 200, 20);
    app::CTextProgressCtrl bar;
    ASSERT_TRUE(bar.Subclass(window.child()));
    ::SendMessageA(window.child(), PBM_SETRANGE32, 0, 1000);

    EXPECT_EQ(0, bar.SetPos(500));
    ::UpdateWindow(window.child());
    const int afterFirst = bar.PaintCount();
    EXPECT_GE(afterFirst, 1);
    bar.SetPos(502);  // 100.4 px: still 100 filled pixels
    bar.SetPos(504);
    ::UpdateWindow(window.child());
    EXPECT_EQ(afterFirst, bar.PaintCount());
    EXPECT_EQ(504, ::SendMessageA(window.child(), PBM_SETPOS, 505, 0));  // 101 px
    EXPECT_EQ(afterFirst, bar.PaintCount());  // not at once: with the next paint
    ::UpdateWindow(window.child());
    EXPECT_EQ(afterFirst + 1, bar.PaintCount());
    EXPECT_EQ(505, bar.GetPos());
    EXPECT_EQ(1000, ::SendMessageA(window.child(), PBM_GETRANGE, FALSE, 0));
}

TEST(TextProgressCtrl, FillsTheDonePartAndShowsCustomTextUntilCleared) {
    HostWindow window(PROGRESS_CLASSA, 200, 20);
    app::CTextProgressCtrl bar;
    ASSERT_TRUE(bar.Subclass(window.child()));
    bar.SetPos(50);
    HostWindow::Pump();
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), window.PixelAt(2, 2));
    EXPECT_EQ(RGB(42, 42, 42), window.PixelAt(197, 2));

    char text[16] = {};
    ::SetWindowTextA(window.child(), "\xB0\xD4\xC0\xD3");  // two Korean characters
    EXPECT_EQ(4, ::GetWindowTextA(window.child(), text, sizeof(text)));
    EXPECT_EQ(2, ::GetWindowTextA(window.child(), text, 4));  // never half a character
    HostWindow::Pump();
    const int painted = bar.PaintCount();
    ::SetWindowTextA(window.child(), "\xB0\xD4\xC0\xD3");
    HostWindow::Pump();
    EXPECT_EQ(painted, bar.PaintCount());
    ::SetWindowTextA(window.child(), "");
    EXPECT_EQ(0, ::GetWindowTextA(window.child(), text, sizeof(text)));
}

TEST(TextProgressCtrl, SetPosOnADestroyedWindowChangesNothing) {
    app::CTextProgressCtrl bar;
    EXPECT_EQ(-1, bar.SetPos(10));
    EXPECT_EQ(0, bar.GetPos());
}

TEST(TransparentStatic, CapturesTheBackgroundOnceAndRepaintsOnlyANewTextWithTheNextPaint) {
    HostWindow window("STATIC", 120, 16);
    app::CTransparentStatic2 label;
    ASSERT_TRUE(label.Subclass(window.child()));
    for (int i = 0; i < 5; ++i) ::SetWindowTextA(window.child(), i % 2 ? "one" : "two");
    HostWindow::Pump();
    EXPECT_EQ(1, label.CaptureCount());
    char text[8] = {};
    ::GetWindowTextA(window.child(), text, sizeof(text));
    EXPECT_STREQ("two", text);

    ::UpdateWindow(window.child());
    ::SetWindowTextA(window.child(), "two");
    EXPECT_FALSE(::GetUpdateRect(window.child(), nullptr, FALSE));
    ::SetWindowTextA(window.child(), "two ");
    EXPECT_TRUE(::GetUpdateRect(window.child(), nullptr, FALSE));
    ::UpdateWindow(window.child());
    EXPECT_FALSE(::GetUpdateRect(window.child(), nullptr, FALSE));
    ::SetWindowTextA(window.child(), "");
    ::GetWindowTextA(window.child(), text, sizeof(text));
    EXPECT_STREQ("", text);
}

}  // namespace
