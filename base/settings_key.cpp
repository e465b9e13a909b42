#include "base/settings_key.h"

#include <vector>

namespace base {

const char* const kUpdaterKey = "SOFTWARE\\VANTERO\\UPDATER";

UniqueRegKey OpenOrCreateSettingsKey(const SettingsKey& where) {
    UniqueRegKey key = OpenSettingsKey(where, KEY_ALL_ACCESS);
    if (key) return key;
    ::RegCreateKeyExA(where.root, kUpdaterKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | where.view,
                      nullptr, key.put(), nullptr);
    return key;
}

UniqueRegKey OpenSettingsKey(const SettingsKey& where, REGSAM access) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(where.root, kUpdaterKey, 0, access | where.view, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

bool WriteTextValue(const SettingsKey& where, const char* name, const char* text) {
    UniqueRegKey key = OpenOrCreateSettingsKey(where);
    if (!key) return false;
    if (!text) return ::RegDeleteValueA(key.get(), name) == ERROR_SUCCESS;
    const DWORD length = static_cast<DWORD>(std::char_traits<char>::length(text));
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length) ==
           ERROR_SUCCESS;
}

bool ReadTextValue(const SettingsKey& where, const char* name, std::string& text) {
    UniqueRegKey key = OpenSettingsKey(where, KEY_ALL_ACCESS);
    if (!key) return false;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
    if (size == 0) return true;
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    text = buffer.data();
    return true;
}

}  // namespace base
