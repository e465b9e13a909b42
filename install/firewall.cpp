#include "install/firewall.h"

#include <windows.h>

#include <vector>

#include "base/ansi_text.h"
#include "base/split_string.h"
#include "base/usable_path.h"
#include "base/version_info.h"
#include "install/list_file.h"
#include "install/register_progress.h"
#include "install/registry.h"
#include "base/local_files.h"

namespace install {
namespace {

const char* const kProfileLists[] = {
    "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\DomainProfile"
    "\\AuthorizedApplications\\List",
    "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile"
    "\\AuthorizedApplications\\List",
};

bool WriteListValue(const char* keyPath, const std::string& name, const std::string& data) {
    CRegistry registry;
    return registry.Open(HKEY_LOCAL_MACHINE, keyPath) && WriteRegistryString(name, registry, data);
}

bool AddListLine(const std::string& listPath, const std::string& line) {
    FirewallLine parsed = ParseFirewallLine(listPath, line);
    if (!base::StaysBelowRoot(parsed.program) || !base::IsUsablePath(parsed.programPath)) return false;
    if (parsed.displayName.empty()) GetProductName(parsed.programPath, parsed.displayName);
    return AddAuthorizedApplication(parsed.programPath, parsed.displayName);
}

}  // namespace

FirewallLine ParseFirewallLine(const std::string& listPath, const std::string& line) {
    base::StringList fields;
    base::SplitString(line, "|", fields);
    FirewallLine parsed;
    parsed.program = base::Trim(base::GetListItem(fields, 0));
    parsed.programPath = ListItemPath(listPath, parsed.program);
    parsed.displayName = base::Trim(base::GetListItem(fields, 1));
    return parsed;
}

StepResult AddFirewallExceptions(const std::string& listPath, const std::string& listText,
                                 RegisterProgress* progress) {
    base::StringList lines;
    if (!base::SplitLines(listText, lines)) return StepResult::Failed("방화벽에 등록할 목록을 가져오는 데 실패하였습니다!");
    bool ok = true;
    BeginProgress(progress, lines.size());
    for (const std::string& line : lines) {
        if (!AddListLine(listPath, line)) ok = false;
        AdvanceProgress(progress);
    }
    if (!ok) return StepResult::Failed("방화벽에 등록할 목록을 처리하는 중 문제가 발생하였습니다!\r\n");
    return StepResult::Done();
}

bool AddAuthorizedApplication(const std::string& programPath, const std::string& displayName) {
    if (!IsWindowsXPOrLater()) return true;
    const std::string data = programPath + ":*:Enabled:" + displayName;
    bool ok = true;
    for (const char* keyPath : kProfileLists) {
        if (!WriteListValue(keyPath, programPath, data)) ok = false;
    }
    return ok;
}

bool GetProductName(const std::string& path, std::string& name) {
    std::vector<BYTE> block;
    if (!base::ReadVersionBlock(path, block)) return false;
    UINT length = 0;
    const void* text = base::QueryVersionValue(block, "\\StringFileInfo\\041203b5\\ProductName", length);
    if (!text) return false;
    name = static_cast<const char*>(text);
    return true;
}

bool IsWindowsXPOrLater() {
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof(extended);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        OSVERSIONINFOA basic = {};
        basic.dwOSVersionInfoSize = sizeof(basic);
        if (!::GetVersionExA(&basic)) return false;
        return basic.dwPlatformId == VER_PLATFORM_WIN32_NT && basic.dwBuildNumber >= 2500;
    }
    return extended.dwPlatformId == VER_PLATFORM_WIN32_NT && extended.dwBuildNumber >= 2500;
}

}  // namespace install
