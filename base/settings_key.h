// The updater's registry key "SOFTWARE\VANTERO\UPDATER" under one root and
// registry view, and its text values: the routines both the per-user and the
// machine-wide values use.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace base {

extern const char* const kUpdaterKey;  // "SOFTWARE\VANTERO\UPDATER"

struct SettingsKey {
    HKEY root;
    REGSAM view;  // 0, or the KEY_WOW64_* flag of the view the values live in
};

// Opens the key with KEY_ALL_ACCESS; creates it when it cannot be opened.
UniqueRegKey OpenOrCreateSettingsKey(const SettingsKey& where);
// Opens the key with `access`; an invalid key when it does not exist.
UniqueRegKey OpenSettingsKey(const SettingsKey& where, REGSAM access);

// With a text the value is set (REG_SZ, stored without a terminating NUL);
// with null it is deleted. True when the set or delete succeeded.
bool WriteTextValue(const SettingsKey& where, const char* name, const char* text);
// False when the key or the value is missing. A value of size 0 gives true
// and leaves `text` unchanged. The stored type is not checked.
bool ReadTextValue(const SettingsKey& where, const char* name, std::string& text);

}  // namespace base
