// Test tool: reads a shell link (.lnk) back through the shell link object and
// prints its target, working folder and arguments as "target=<path>",
// "workdir=<path>" and "arguments=<text>" lines (UTF-8). Exit 1 when the link cannot be loaded.
// Usage: shortcut_info.exe <link path>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "base/ansi_text.h"
#include "base/unique_handle.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shortcut_info.exe <link path>\n");
        return 2;
    }
    base::ScopedComInit com;
    base::ComPtr<IShellLinkA> link;
    base::ComPtr<IPersistFile> file;
    wchar_t widePath[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, argv[1], -1, widePath, MAX_PATH);
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) || FAILED(file->Load(widePath, STGM_READ)))
        return 1;
    char target[MAX_PATH] = {}, folder[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    link->GetArguments(arguments, MAX_PATH);
    std::printf("target=%s\nworkdir=%s\narguments=%s\n", base::AnsiToUtf8(target).c_str(),
                base::AnsiToUtf8(folder).c_str(), base::AnsiToUtf8(arguments).c_str());
    return 0;
}
