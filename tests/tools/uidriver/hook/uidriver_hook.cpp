// uidriver_hook.dll: a global WH_CALLWNDPROCRET hook the UI driver installs so
// that every text a followed program sets is seen, even one replaced a few
// milliseconds later (polling misses those).
//
// The system loads this DLL into every GUI process of the desktop, so the
// hook must cost next to nothing and never fail the program: it only acts in
// processes whose environment names a log file (UIDRIVER_TEXT_LOG, set by the
// driver for the program it starts and inherited by its descendants). There
// it appends one line per WM_SETTEXT:
//   <tick> "pid":..,"hwnd":..,"id":..,"window":"..","class":"..","text":".."
// <tick> is GetTickCount() after the message; the rest is JSON object members
// (texts in UTF-8), ready for the driver to wrap into its own log line.
// No heap, no locks; stack buffers only, each line one WriteFile on an
// append-only handle, so lines of several processes never interleave.
#include <windows.h>

#include "tests/tools/uidriver/hook/text_line.h"

namespace {

enum class State : LONG { kUnknown = 0, kOn = 1, kOff = 2 };

LONG g_state = static_cast<LONG>(State::kUnknown);
char g_logPath[MAX_PATH] = {};
DWORD g_busySlot = TLS_OUT_OF_INDEXES;  // per-thread "inside the hook" flag

// Checked once per process: the environment does not change the answer later.
bool Enabled() {
    LONG state = g_state;
    if (state == static_cast<LONG>(State::kUnknown)) {
        char path[MAX_PATH];
        const DWORD length = ::GetEnvironmentVariableA(uidriverhook::kLogVariable, path, MAX_PATH);
        const bool on = length > 0 && length < MAX_PATH && g_busySlot != TLS_OUT_OF_INDEXES;
        if (on) {
            ::lstrcpynA(g_logPath, path, MAX_PATH);
            // Stay loaded: the system may otherwise load and free the DLL
            // around each call, and the state would be looked up every time.
            HMODULE pinned = nullptr;
            ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(&Enabled), &pinned);
        }
        state = static_cast<LONG>(on ? State::kOn : State::kOff);
        ::InterlockedExchange(&g_state, state);
    }
    return state == static_cast<LONG>(State::kOn);
}

void AppendLine(const char* line, DWORD length) {
    HANDLE file = ::CreateFileA(g_logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line, length, &written, nullptr);
    ::CloseHandle(file);
}

void LogSetText(HWND window, const char* text) {
    uidriverhook::TextChange change{};
    change.tick = ::GetTickCount();
    change.pid = ::GetCurrentProcessId();
    change.hwnd = reinterpret_cast<UINT_PTR>(window);
    change.id = ::GetDlgCtrlID(window);
    change.text = text ? text : "";
    char title[256] = {};
    char cls[128] = {};
    if (HWND root = ::GetAncestor(window, GA_ROOT)) {
        // InternalGetWindowText reads the stored title without sending
        // WM_GETTEXT, which skinned windows may answer themselves.
        WCHAR wide[256] = {};
        ::InternalGetWindowText(root, wide, 256);
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, title, sizeof title, nullptr, nullptr);
        ::GetClassNameA(root, cls, sizeof cls);
    }
    change.window = title;
    change.windowClass = cls;
    char line[uidriverhook::kMaxLine];  // stack only: no allocation that could fail
    const DWORD length = uidriverhook::FormatTextChange(change, line, sizeof line);
    if (length) AppendLine(line, length);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK UidriverTextHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && Enabled() && !::TlsGetValue(g_busySlot)) {
        // The flag also stops a second copy of this hook further down the
        // chain (two drivers at once) from logging the same message again.
        ::TlsSetValue(g_busySlot, reinterpret_cast<void*>(1));
        const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        // The program's own text pointer: exactly what it set, whatever the
        // control answers to WM_GETTEXT afterwards.
        if (message && message->message == WM_SETTEXT)
            LogSetText(message->hwnd, reinterpret_cast<const char*>(message->lParam));
        const LRESULT next = ::CallNextHookEx(nullptr, code, wParam, lParam);
        ::TlsSetValue(g_busySlot, nullptr);
        return next;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        g_busySlot = ::TlsAlloc();
    } else if (reason == DLL_PROCESS_DETACH && g_busySlot != TLS_OUT_OF_INDEXES) {
        ::TlsFree(g_busySlot);
    }
    return TRUE;
}
