// Test tool: reads owners and DACLs back through the system's own calls, in a
// process of its own, and prints one "sddl:<path>=<SDDL>" line a path. With
// --own it first makes the first path's tree the program's
// (install/home_tree.h) and prints "result=owned|no_security|failed" and
// "failed=<path>".
// Usage: folder_security.exe [--own] <path>...
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install/home_tree.h"

namespace {

const char* ResultName(install::HomeTreeResult result) {
    switch (result) {
    case install::HomeTreeResult::kOwned:
        return "owned";
    case install::HomeTreeResult::kNoSecurity:
        return "no_security";
    case install::HomeTreeResult::kFailed:
        break;
    }
    return "failed";
}

std::string Sddl(const char* path) {
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    std::vector<char> descriptor(4096);
    DWORD needed = 0;
    if (!::GetFileSecurityA(path, wanted, descriptor.data(), static_cast<DWORD>(descriptor.size()), &needed))
        return "unreadable";
    LPSTR text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor.data(), SDDL_REVISION_1, wanted, &text,
                                                                nullptr))
        return "unreadable";
    std::string sddl = text;
    ::LocalFree(text);
    return sddl;
}

}  // namespace

int main(int argc, char** argv) {
    const bool own = argc > 1 && std::strcmp(argv[1], "--own") == 0;
    const int first = own ? 2 : 1;
    if (argc <= first) {
        std::fprintf(stderr, "usage: folder_security.exe [--own] <path>...\n");
        return 2;
    }
    if (own) {
        std::string failed;
        const install::HomeTreeResult result = install::OwnHomeTree(argv[first], failed);
        std::printf("result=%s\nfailed=%s\n", ResultName(result), failed.c_str());
    }
    for (int i = first; i < argc; ++i) std::printf("sddl:%s=%s\n", argv[i], Sddl(argv[i]).c_str());
    return 0;
}
