// The updater's machine-wide values under
// HKEY_LOCAL_MACHINE\SOFTWARE\VANTERO\UPDATER, which only an administrator
// (or the elevated updater) can write. They decide what the updater runs and
// which releases it accepts, so none of them may live where a standard user
// could write them:
//   "RunOnce"          REG_SZ    a command the next run starts instead of its
//                                post-install steps (the "exec:" argument);
//   "ReleaseSerial"    REG_DWORD the highest serial of a signed release
//                                accepted on this machine; 0 or missing: none;
//   "InstalledRelease" REG_SZ    the SHA-256 (hex) of the signature file of
//                                the signed release whose files are in place
//                                and whose record the install folder keeps;
//                                missing: none;
//   "ReleaseKeySerial" REG_DWORD the highest release-key serial accepted;
//   "RootSet"          REG_SZ    the newest root set reached: its version in
//                                decimal, a blank, its digest in hex (one
//                                value, so that both change together);
//   "RepairPending"    REG_SZ    present: a repair run handed off to the
//                                helper before it was done; the updater
//                                the helper starts repairs too.
// The root set itself is not stored: every release carries the root
// statements that lead to it from the built-in roots, and the pin only says
// which set they must pass through, so a value written by hand can refuse
// releases but never make a forged set trusted.
// The values are always in the 32-bit registry view: the shipped program is
// 32-bit, and the 64-bit test build reads the same key (WOW6432Node on 64-bit
// Windows).
#pragma once

#include <cstdint>
#include <string>

namespace base {

// With a text the value is set (REG_SZ, stored without a terminating NUL);
// with null it is deleted. The key is created when it does not exist. True
// when the set or delete succeeded.
bool WriteRunOnce(const char* text);
// False when the key or the value is missing. A value of size 0 gives true
// and leaves `text` unchanged. The stored type is not checked.
bool ReadRunOnce(std::string& text);

// Reading gives 0 when the value is missing or not a DWORD.
uint32_t ReadReleaseSerial();
bool WriteReleaseSerial(uint32_t serial);
uint32_t ReadReleaseKeySerial();
bool WriteReleaseKeySerial(uint32_t serial);

struct StoredRootPin {
    uint32_t version = 0;  // 0: none stored
    std::string digest;
};
// Version 0 when missing or not of that form.
StoredRootPin ReadRootPin();
// Version 0 removes the value.
bool WriteRootPin(const StoredRootPin& pin);

// Empty when missing.
std::string ReadInstalledRelease();
// With null the value is deleted.
bool WriteInstalledRelease(const char* digest);

// Sets (true) or deletes (false) "RepairPending".
bool WriteRepairPending(bool pending);
// True when "RepairPending" was there; it is deleted.
bool TakeRepairPending();

// Any start with arguments rewrites "RunOnce": to the "exec:" value, or to an
// empty text when no argument carries it. Fewer than two arguments: nothing
// happens and the result is false.
bool StoreExecArgument();

}  // namespace base
