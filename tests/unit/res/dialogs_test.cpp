// The dialog base class and the dialogs built on it, run from this test
// program's own copy of the updater's resources. Every modal run is ended by
// a timer, so no test waits on a window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>

#include "app/about_dialog.h"
#include "base/dialog.h"
#include "base/subclassed_control.h"
#include "res/resource.h"
#include "updater_version.h"

namespace {

constexpr INT_PTR kTimedOut = 0x7FFF;

struct ProbeState {
    base::Dialog* dialog = nullptr;
    std::function<void(base::Dialog&)> probe;
};
ProbeState g_probe;

void CALLBACK RunProbe(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_probe.dialog && g_probe.dialog->hwnd()) g_probe.probe(*g_probe.dialog);
}

void CALLBACK EndStuckDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (g_probe.dialog) g_probe.dialog->EndDialog(kTimedOut);
}

// Runs `dialog` modally; `probe` runs once from inside its loop. A dialog the
// probe leaves open is ended with kTimedOut after five seconds.
INT_PTR RunModalWithProbe(base::Dialog& dialog, std::function<void(base::Dialog&)> probe,
                          HWND owner = nullptr) {
    g_probe = {&dialog, std::move(probe)};
    const UINT_PTR probeTimer = ::SetTimer(nullptr, 0, 100, &RunProbe);
    const UINT_PTR guardTimer = ::SetTimer(nullptr, 0, 5000, &EndStuckDialog);
    const INT_PTR result = dialog.DoModal(owner);
    ::KillTimer(nullptr, probeTimer);
    ::KillTimer(nullptr, guardTimer);
    g_probe = {};
    return result;
}

std::string ControlText(HWND dialog, int id) {
    char text[512] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

void PostKey(base::Dialog& dialog, WPARAM key) {
    HWND focus = ::GetFocus();
    ::PostMessageA(focus ? focus : dialog.hwnd(), WM_KEYDOWN, key, 1);
}

TEST(AboutDialog, TitleLineCarriesVersionAndBuildDate) {
    const std::regex form(R"(Vantero Updater v([0-9.]+) \[[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}\])");
    std::smatch match;
    const std::string title = CAboutDlg::TitleLine();
    ASSERT_TRUE(std::regex_match(title, match, form)) << title;
    EXPECT_EQ(UPDATER_VERSION_TEXT, match[1].str());
}

TEST(AboutDialog, ShowsTheTitleLineInBothEditsAndSelectsNothing) {
    CAboutDlg about;
    std::string caption, title, details;
    bool focusOnDetails = false;
    DWORD selStart = 99, selEnd = 99;
    const INT_PTR result = RunModalWithProbe(about, [&](base::Dialog& d) {
        char text[128] = {};
        ::GetWindowTextA(d.hwnd(), text, sizeof(text));
        caption = text;
        title = ControlText(d.hwnd(), IDC_ABOUT_TITLE);
        details = ControlText(d.hwnd(), IDC_ABOUT_DETAILS);
        HWND detailsEdit = ::GetDlgItem(d.hwnd(), IDC_ABOUT_DETAILS);
        focusOnDetails = ::GetFocus() == detailsEdit;
        ::SendMessageA(detailsEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                       reinterpret_cast<LPARAM>(&selEnd));
        ::SendMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("Vantero_Update 정보", caption);
    EXPECT_EQ(CAboutDlg::TitleLine(), title);
    // The program carries no RT_HTML text, so the lower line repeats the title.
    EXPECT_EQ(title, details);
    EXPECT_TRUE(focusOnDetails);
    EXPECT_EQ(0u, selStart);
    EXPECT_EQ(0u, selEnd);
}

// A dialog that keeps Escape away from the dialog manager and ends on F1,
// as the main window's key filter does.
class KeyFilterDialog : public base::Dialog {
public:
    KeyFilterDialog() : Dialog(IDD_ABOUTBOX) {}
    static constexpr INT_PTR kF1 = 42;

protected:
    bool PreTranslateMessage(MSG& message) override {
        if (message.message != WM_KEYDOWN) return false;
        if (message.wParam == VK_ESCAPE) return true;
        if (message.wParam == VK_F1) {
            EndDialog(kF1);
            return true;
        }
        return false;
    }
};

TEST(DialogBase, KeyFilterSeesKeysBeforeTheDialogManager) {
    base::Dialog plain(IDD_ABOUTBOX);
    EXPECT_EQ(IDCANCEL, RunModalWithProbe(plain, [](base::Dialog& d) { PostKey(d, VK_ESCAPE); }));

    KeyFilterDialog filtered;
    EXPECT_EQ(KeyFilterDialog::kF1, RunModalWithProbe(filtered, [](base::Dialog& d) {
                  PostKey(d, VK_ESCAPE);
                  PostKey(d, VK_F1);
              }));
}

TEST(DialogBase, DisablesItsOwnerAndEndsOnQuitPassingTheQuitOn) {
    HWND owner = ::CreateWindowExA(0, "Static", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    base::Dialog dialog(IDD_ABOUTBOX);
    bool ownerEnabledWhileModal = true;
    const INT_PTR result = RunModalWithProbe(
        dialog,
        [&](base::Dialog&) {
            ownerEnabledWhileModal = ::IsWindowEnabled(owner) != FALSE;
            ::PostQuitMessage(7);
        },
        owner);
    EXPECT_EQ(-1, result);
    EXPECT_FALSE(ownerEnabledWhileModal);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(nullptr, dialog.hwnd());
    MSG quit;
    ASSERT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, quit.wParam);
    ::DestroyWindow(owner);
}

// Answers one private message and the static-colour query, so the two ways a
// dialog procedure hands back a result can be told apart.
class AnsweringDialog : public base::Dialog {
public:
    AnsweringDialog() : Dialog(IDD_ABOUTBOX) {}
    static constexpr UINT kAsk = WM_APP + 1;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM, LPARAM) override {
        if (message == kAsk) return 1234;
        if (message == WM_CTLCOLORSTATIC) return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
        return kNotHandled;
    }
};

TEST(DialogBase, HandledMessagesReturnTheirResultToTheSender) {
    AnsweringDialog dialog;
    LRESULT answer = 0, brush = 0, unhandled = -5;
    RunModalWithProbe(dialog, [&](base::Dialog& d) {
        answer = ::SendMessageA(d.hwnd(), AnsweringDialog::kAsk, 0, 0);
        brush = ::SendMessageA(d.hwnd(), WM_CTLCOLORSTATIC, 0, 0);
        unhandled = ::SendMessageA(d.hwnd(), WM_APP + 2, 0, 0);
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(1234, answer);
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(0, unhandled);
}

class CountingEdit : public base::SubclassedControl {
public:
    int textChanges = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) ++textChanges;
        return CallOriginal(message, wParam, lParam);
    }
};

class SubclassingDialog : public base::Dialog {
public:
    SubclassingDialog() : Dialog(IDD_ABOUTBOX) {}
    CountingEdit edit;
    bool subclassed = false;

protected:
    BOOL OnInitDialog() override {
        subclassed = SubclassControl(IDC_ABOUT_TITLE, edit);
        return TRUE;
    }
};

TEST(DialogBase, SubclassedControlSeesMessagesAndLetsGoWhenTheWindowDies) {
    SubclassingDialog dialog;
    std::string stored;
    RunModalWithProbe(dialog, [&](base::Dialog& d) {
        ::SetDlgItemTextA(d.hwnd(), IDC_ABOUT_TITLE, "skinned");
        stored = ControlText(d.hwnd(), IDC_ABOUT_TITLE);
        d.EndDialog(IDOK);
    });
    EXPECT_TRUE(dialog.subclassed);
    EXPECT_EQ(1, dialog.edit.textChanges);
    EXPECT_EQ("skinned", stored);  // the edit's own procedure still stores the text
    EXPECT_EQ(nullptr, dialog.edit.hwnd());
}

// Pumps messages for `ms` milliseconds so the window paints (and can be looked at).
void PumpFor(DWORD ms) {
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < ms) {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        ::Sleep(10);
    }
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// ARKENFEL_SHOW_DIALOG_MS keeps the windows on screen longer, for a screenshot.
DWORD ShowTime() {
    const char* value = std::getenv("ARKENFEL_SHOW_DIALOG_MS");
    return value ? static_cast<DWORD>(std::atoi(value)) : 200;
}

TEST(UpdaterTemplates, MainAndNotifyDialogsCreateWithTheirBackgrounds) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&controls));
    struct Case {
        int dialog;
        LONG width, height;
    } cases[] = {{IDD_MAIN_DIALOG, 280, 370}, {IDD_NOTIFY_DIALOG, 280, 136}};
    for (const Case& c : cases) {
        SCOPED_TRACE("dialog " + std::to_string(c.dialog));
        HWND window = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.dialog),
                                           nullptr, &PlainDialogProc, 0);
        ASSERT_NE(nullptr, window);
        ::ShowWindow(window, SW_SHOW);
        HWND picture = ::GetWindow(window, GW_CHILD);
        const auto bitmap = reinterpret_cast<HBITMAP>(
            ::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info = {};
        ASSERT_TRUE(bitmap && ::GetObjectA(bitmap, sizeof(info), &info));
        EXPECT_EQ(c.width, info.bmWidth);
        EXPECT_EQ(c.height, info.bmHeight);
        if (c.dialog == IDD_MAIN_DIALOG) {
            for (int id : {IDC_FILE_PROGRESS, IDC_TOTAL_PROGRESS}) {
                char name[64] = {};
                ::GetClassNameA(::GetDlgItem(window, id), name, sizeof(name));
                EXPECT_STRCASEEQ(PROGRESS_CLASSA, name);
            }
        }
        PumpFor(ShowTime());
        ::DestroyWindow(window);
    }
}

}  // namespace
