#include "base/updater_settings.h"

#include <windows.h>

#include <vector>

#include "base/command_line.h"
#include "base/unique_handle.h"

namespace base {

const char* const kUpdaterKey = "SOFTWARE\\VANTERO\\UPDATER";

namespace {

UniqueRegKey OpenOrCreateUpdaterKey() {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kUpdaterKey, 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS)
        return key;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kUpdaterKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    return key;
}

bool WriteValue(const char* name, const char* text) {
    UniqueRegKey key = OpenOrCreateUpdaterKey();
    if (!key) return false;
    if (!text) return ::RegDeleteValueA(key.get(), name) == ERROR_SUCCESS;
    const DWORD length = static_cast<DWORD>(std::char_traits<char>::length(text));
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), length) ==
           ERROR_SUCCESS;
}

bool ReadValue(const char* name, std::string& text) {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kUpdaterKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        return false;
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

}  // namespace

bool WriteRunOnce(const char* text) { return WriteValue("RunOnce", text); }
bool WriteInstallPath(const char* text) { return WriteValue("InstallPath", text); }
bool ReadRunOnce(std::string& text) { return ReadValue("RunOnce", text); }
bool ReadInstallPath(std::string& text) { return ReadValue("InstallPath", text); }

uint32_t ReadReleaseSerial() {
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kUpdaterKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return 0;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExA(key.get(), "ReleaseSerial", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return 0;
    return value;
}

bool WriteReleaseSerial(uint32_t serial) {
    UniqueRegKey key = OpenOrCreateUpdaterKey();
    const DWORD value = serial;
    return key && ::RegSetValueExA(key.get(), "ReleaseSerial", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)) == ERROR_SUCCESS;
}

bool StoreExecArgument() {
    if (__argc < 2) return false;
    std::string value;
    GetCommandLineValue("exec:", value);
    return WriteRunOnce(value.c_str());
}

}  // namespace base
