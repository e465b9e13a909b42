// Test tool: reads a folder's owner and DACL back through the system's own
// calls, in a process of its own, and prints them as "sddl=<SDDL>" and
// "protected_home=<0|1>" (the descriptor the updater gives its home folder,
// transfer/protected_folder.h). With --protect it first gives the folder
// that descriptor and prints "set=<0|1>".
// Usage: folder_security.exe [--protect] <folder>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>

#include "transfer/protected_folder.h"

int main(int argc, char** argv) {
    const bool protect = argc == 3 && std::strcmp(argv[1], "--protect") == 0;
    if (argc != 2 && !protect) {
        std::fprintf(stderr, "usage: folder_security.exe [--protect] <folder>\n");
        return 2;
    }
    const char* folder = argv[argc - 1];
    if (protect) std::printf("set=%d\n", transfer::ProtectFolder(folder) ? 1 : 0);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (::GetNamedSecurityInfoA(folder, SE_FILE_OBJECT, wanted, nullptr, nullptr, nullptr, nullptr, &descriptor) !=
        ERROR_SUCCESS)
        return 1;
    LPSTR text = nullptr;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, wanted, &text, nullptr);
    std::printf("sddl=%s\nprotected_home=%d\n", text ? text : "", transfer::IsProtectedFolder(folder) ? 1 : 0);
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return 0;
}
