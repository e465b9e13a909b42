#include "install/protected_folder.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "install/home_entry.h"
#include "tests/support/test_env.h"

namespace {

// What the home folder's descriptor means, read with the system's own calls
// (Wine does not keep it; test_home_tree.py and the end-to-end start-up
// scenario show the updater setting it).
TEST(ProtectedFolder, OnlyTheSystemAndAdministratorsMayChangeAnythingInside) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(install::kProtectedFolderSddl, SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
    ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present && dacl);
    ASSERT_TRUE(::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inherits from the drive root";

    auto sid = [](WELL_KNOWN_SID_TYPE type) {
        std::string bytes(SECURITY_MAX_SID_SIZE, '\0');
        DWORD size = static_cast<DWORD>(bytes.size());
        ::CreateWellKnownSid(type, nullptr, &bytes[0], &size);
        return bytes;
    };
    const std::string system = sid(WinLocalSystemSid), admins = sid(WinBuiltinAdministratorsSid),
                      users = sid(WinBuiltinUsersSid);
    EXPECT_TRUE(::EqualSid(owner, const_cast<char*>(admins.data())));
    const DWORD changes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                          FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;
    ASSERT_EQ(3, dacl->AceCount);
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, &entry));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        PSID trustee = const_cast<DWORD*>(&ace->SidStart);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << "not for every file inside";
        if (::EqualSid(trustee, const_cast<char*>(users.data()))) {
            EXPECT_EQ(static_cast<DWORD>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), ace->Mask);
            EXPECT_EQ(0u, ace->Mask & changes);
        } else {
            EXPECT_TRUE(::EqualSid(trustee, const_cast<char*>(system.data())) ||
                        ::EqualSid(trustee, const_cast<char*>(admins.data())));
            EXPECT_EQ(static_cast<DWORD>(FILE_ALL_ACCESS), ace->Mask);
        }
    }
    ::LocalFree(descriptor);

    testenv::ScratchDir scratch("protected_folder");
    const install::HomeDescriptors descriptors;
    ASSERT_TRUE(descriptors.valid());
    const base::UniqueFile folder = install::OpenEntry(scratch / "", true);
    ASSERT_TRUE(folder);
    EXPECT_FALSE(descriptors.Has(folder.get(), install::HomeEntry::kRoot)) << "a new folder has the default descriptor";
    EXPECT_TRUE(descriptors.Give(folder.get(), install::HomeEntry::kRoot));
}

}  // namespace
