#include "tests/support/unix_link.h"

#include <windows.h>

#include "base/unique_handle.h"

namespace testenv {
namespace {

// Wine's kernel32 tells the Unix name of a Windows path.
std::string UnixName(const std::string& path) {
    using UnixNameFunction = char*(CDECL*)(const wchar_t*);
    const auto function = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (!function || !::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return std::string();
    char* name = function(wide);
    if (!name) return std::string();
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

// Runs a host program by its Unix path and waits, up to 5 s, for `done`.
template <typename Done>
bool RunHostProgram(const char* program, std::string commandLine, Done done) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    base::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    // The handle of a Unix process is signalled at once: wait for the result.
    for (int wait = 0; wait < 100; ++wait) {
        if (done()) return true;
        ::Sleep(50);
    }
    return false;
}

bool NameExists(const std::string& path) {
    WIN32_FIND_DATAA found;
    return base::UniqueFind(::FindFirstFileA(path.c_str(), &found)).valid();
}

std::string WithoutSlash(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

bool MakeUnixLink(const std::string& target, const std::string& link) {
    const std::string name = WithoutSlash(link);
    const std::string unixTarget = UnixName(target), unixLink = UnixName(name);
    if (unixTarget.empty() || unixLink.empty()) return false;
    return RunHostProgram("Z:\\bin\\ln", "ln -s \"" + unixTarget + "\" \"" + unixLink + "\"",
                          [&] { return NameExists(name); });
}

bool RemoveUnixLink(const std::string& link) {
    const std::string name = WithoutSlash(link);
    const std::string unixLink = UnixName(name);
    if (unixLink.empty()) return false;
    return RunHostProgram("Z:\\bin\\rm", "rm -f \"" + unixLink + "\"", [&] { return !NameExists(name); });
}

}  // namespace testenv
