#include "transfer/protected_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "base/unique_handle.h"

namespace transfer {

const char kProtectedFolderSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

// An owner and DACL of one descriptor, which the holder frees.
struct OwnerAndDacl {
    base::UniqueLocalMemory descriptor;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
};

bool Wanted(OwnerAndDacl& wanted) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedFolderSddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr))
        return false;
    wanted.descriptor.reset(descriptor);
    BOOL present = FALSE, defaulted = FALSE;
    DWORD revision = 0;
    return ::GetSecurityDescriptorOwner(descriptor, &wanted.owner, &defaulted) &&
           ::GetSecurityDescriptorDacl(descriptor, &present, &wanted.dacl, &defaulted) && present && wanted.dacl &&
           ::GetSecurityDescriptorControl(descriptor, &wanted.control, &revision);
}

// The folder's name as the security functions take it: no trailing "\".
std::string ObjectName(const std::string& folder) {
    return folder.size() > 3 && folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
}

bool Current(const std::string& folder, OwnerAndDacl& current) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(ObjectName(folder).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &current.owner, nullptr, &current.dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    current.descriptor.reset(descriptor);
    DWORD revision = 0;
    return current.owner && current.dacl && ::GetSecurityDescriptorControl(descriptor, &current.control, &revision);
}

bool SameAces(PACL a, PACL b) {
    if (a->AceCount != b->AceCount) return false;
    for (WORD i = 0; i < a->AceCount; ++i) {
        void* first = nullptr;
        void* second = nullptr;
        if (!::GetAce(a, i, &first) || !::GetAce(b, i, &second)) return false;
        const auto* x = static_cast<const ACCESS_ALLOWED_ACE*>(first);
        const auto* y = static_cast<const ACCESS_ALLOWED_ACE*>(second);
        if (x->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || y->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
            x->Header.AceFlags != y->Header.AceFlags || x->Mask != y->Mask ||
            !::EqualSid(const_cast<DWORD*>(&x->SidStart), const_cast<DWORD*>(&y->SidStart)))
            return false;
    }
    return true;
}

}  // namespace

bool ProtectFolder(const std::string& folder) {
    OwnerAndDacl wanted;
    if (!Wanted(wanted)) return false;
    if (IsProtectedFolder(folder)) return true;
    std::string name = ObjectName(folder);
    return ::SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT,
                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                       PROTECTED_DACL_SECURITY_INFORMATION,
                                   wanted.owner, nullptr, wanted.dacl, nullptr) == ERROR_SUCCESS;
}

bool IsProtectedFolder(const std::string& folder) {
    OwnerAndDacl wanted, current;
    return Wanted(wanted) && Current(folder, current) && (current.control & SE_DACL_PROTECTED) &&
           ::EqualSid(wanted.owner, current.owner) && SameAces(wanted.dacl, current.dacl);
}

}  // namespace transfer
