#include "app/desktop_shortcut.h"

#include <objbase.h>
#include <shlobj.h>

#include "base/ansi_text.h"
#include "base/unique_handle.h"

namespace app {

HRESULT CreateDesktopShortcut(const std::string& targetPath, const std::string& name, const std::string& arguments) {
    char desktop[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE);
    std::string linkPath = std::string(desktop) + "\\" + name;

    base::ScopedComInit com;
    base::ComPtr<IShellLinkA> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.put_void());
    if (FAILED(hr)) return hr;

    const std::string folder = base::FolderPart(targetPath);
    if (!folder.empty()) link->SetWorkingDirectory(folder.substr(0, folder.size() - 1).c_str());
    hr = link->SetPath(targetPath.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());

    base::ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.put_void());
    if (SUCCEEDED(hr)) {
        if (base::ToLowerAnsi(linkPath).find(".lnk") == std::string::npos) linkPath += ".lnk";
        wchar_t widePath[MAX_PATH] = {};
        ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, linkPath.c_str(), -1, widePath, MAX_PATH);
        hr = file->Save(widePath, TRUE);
    }
    return hr;
}

}  // namespace app
