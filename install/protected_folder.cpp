#include "install/protected_folder.h"

#include <sddl.h>

#include <cstring>

namespace install {

const char kProtectedFolderSddl[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

const SECURITY_INFORMATION kOwnerAndDacl = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

ACE_HEADER* AceAt(PACL acl, WORD index) {
    void* ace = nullptr;
    return ::GetAce(acl, index, &ace) ? static_cast<ACE_HEADER*>(ace) : nullptr;
}

// Same entries in the same order, byte for byte (type, flags, rights, trustee).
bool SameAces(PACL a, PACL b) {
    if (a->AceCount != b->AceCount) return false;
    for (WORD i = 0; i < a->AceCount; ++i) {
        const ACE_HEADER* x = AceAt(a, i);
        const ACE_HEADER* y = AceAt(b, i);
        if (!x || !y || x->AceSize != y->AceSize || std::memcmp(x, y, x->AceSize) != 0) return false;
    }
    return true;
}

// The entry's own owner and DACL, self-relative, read through its handle.
bool ReadOwnerAndDacl(HANDLE entry, std::vector<char>& descriptor) {
    descriptor.resize(512);
    DWORD needed = 0;
    while (!::GetKernelObjectSecurity(entry, kOwnerAndDacl, descriptor.data(), static_cast<DWORD>(descriptor.size()),
                                      &needed)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size()) return false;
        descriptor.resize(needed);
    }
    return true;
}

}  // namespace

HomeDescriptors::HomeDescriptors() {
    PSECURITY_DESCRIPTOR root = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedFolderSddl, SDDL_REVISION_1, &root, nullptr))
        return;
    root_.reset(root);
    BOOL present = FALSE, defaulted = FALSE;
    if (!::GetSecurityDescriptorOwner(root, &owner_, &defaulted) || !owner_ ||
        !::GetSecurityDescriptorDacl(root, &present, &rootDacl_, &defaulted) || !present || !rootDacl_)
        return;
    valid_ = Inherit(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE, folder_) &&
             Inherit(INHERITED_ACE, file_);
}

// Every entry of the root (each one for folders and files alike), with the
// flags its inherited copy has in that kind of entry; the DACL marked as one
// the system keeps in step with the root.
bool HomeDescriptors::Inherit(BYTE aceFlags, Inherited& form) {
    ACL_SIZE_INFORMATION size = {};
    if (!::GetAclInformation(rootDacl_, &size, sizeof(size), AclSizeInformation)) return false;
    form.acl.assign(size.AclBytesInUse, 0);
    PACL acl = reinterpret_cast<PACL>(form.acl.data());
    if (!::InitializeAcl(acl, size.AclBytesInUse, ACL_REVISION)) return false;
    for (WORD i = 0; i < rootDacl_->AceCount; ++i) {
        ACE_HEADER* ace = AceAt(rootDacl_, i);
        if (!ace) return false;
        std::vector<char> copy(reinterpret_cast<char*>(ace), reinterpret_cast<char*>(ace) + ace->AceSize);
        reinterpret_cast<ACE_HEADER*>(copy.data())->AceFlags = aceFlags;
        if (!::AddAce(acl, ACL_REVISION, MAXDWORD, copy.data(), ace->AceSize)) return false;
    }
    return ::InitializeSecurityDescriptor(&form.descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           ::SetSecurityDescriptorOwner(&form.descriptor, owner_, FALSE) &&
           ::SetSecurityDescriptorDacl(&form.descriptor, TRUE, acl, FALSE) &&
           ::SetSecurityDescriptorControl(&form.descriptor, SE_DACL_AUTO_INHERITED, SE_DACL_AUTO_INHERITED);
}

PSECURITY_DESCRIPTOR HomeDescriptors::Of(HomeEntry kind) const {
    switch (kind) {
    case HomeEntry::kRoot:
        return root_.get();
    case HomeEntry::kFolder:
        return const_cast<SECURITY_DESCRIPTOR*>(&folder_.descriptor);
    case HomeEntry::kFile:
        break;
    }
    return const_cast<SECURITY_DESCRIPTOR*>(&file_.descriptor);
}

PACL HomeDescriptors::DaclOf(HomeEntry kind) const {
    switch (kind) {
    case HomeEntry::kRoot:
        return rootDacl_;
    case HomeEntry::kFolder:
        return reinterpret_cast<PACL>(const_cast<char*>(folder_.acl.data()));
    case HomeEntry::kFile:
        break;
    }
    return reinterpret_cast<PACL>(const_cast<char*>(file_.acl.data()));
}

bool HomeDescriptors::Has(HANDLE entry, HomeEntry kind) const {
    std::vector<char> current;
    if (!valid_ || !ReadOwnerAndDacl(entry, current)) return false;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!::GetSecurityDescriptorOwner(current.data(), &owner, &defaulted) || !owner ||
        !::GetSecurityDescriptorDacl(current.data(), &present, &dacl, &defaulted) || !present || !dacl ||
        !::GetSecurityDescriptorControl(current.data(), &control, &revision))
        return false;
    // Only the root's DACL stands alone; a protected one below it would no
    // longer follow the root's.
    const bool standsAlone = (control & SE_DACL_PROTECTED) != 0;
    return ::EqualSid(owner, owner_) && standsAlone == (kind == HomeEntry::kRoot) && SameAces(dacl, DaclOf(kind));
}

bool HomeDescriptors::Give(HANDLE entry, HomeEntry kind) const {
    return valid_ && ::SetKernelObjectSecurity(entry, kOwnerAndDacl, Of(kind));
}

}  // namespace install
