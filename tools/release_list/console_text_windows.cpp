#include "tools/release_list/console_text.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/ansi_text.h"
#include "base/unique_handle.h"
#include "tools/release_list/release_error.h"

namespace release_list {
namespace {

std::wstring ToWide(const std::string& ansi) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
    return wide;
}

}  // namespace

const char* ProgramName() { return "arkenfel_release_list.exe"; }

base::StringList CommandLineArguments(int, char**) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) throw ReleaseListError("cannot read the command line");
    const base::UniqueLocalMemory argumentBlock(wide);  // the whole array is one LocalAlloc block
    base::StringList args;
    for (int i = 1; i < count; ++i) {
        BOOL lossy = FALSE;
        const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0, nullptr, &lossy);
        std::string text(n > 0 ? n - 1 : 0, '\0');
        if (n > 1) ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, &text[0], n, nullptr, &lossy);
        if (lossy)
            throw ReleaseListError(base::FormatText("argument %d holds characters that code page %u cannot hold", i, ::GetACP()));
        args.push_back(text);
    }
    return args;
}

void PrintAnsi(const std::string& ansi, bool error) {
    const HANDLE out = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const std::string line = ansi + "\r\n";
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) {
        const std::wstring wide = ToWide(line);
        DWORD written = 0;
        ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::wstring wide = ToWide(line);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace release_list
