// What this machine keeps of the releases it trusts, for every user, under
// HKEY_LOCAL_MACHINE\SOFTWARE\VANTERO\UPDATER (a key only administrators may
// write): "ReleaseKeySerial" (REG_DWORD), the highest release-key serial
// accepted, and the newest root set reached, "RootSet" (REG_SZ, its version
// in decimal, a blank, its digest in hex: one value, so that version and
// digest change together). The root set itself is not stored: every release
// carries the root statements that lead to it from the built-in roots, and
// the pin only says which set they must pass through, so a value written
// by hand can refuse releases but never make a forged set trusted.
#pragma once

#include <cstdint>
#include <string>

namespace base {

// 0 when missing or not a DWORD.
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

}  // namespace base
