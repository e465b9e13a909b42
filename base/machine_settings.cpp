#include "base/machine_settings.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "base/unique_handle.h"
#include "base/updater_settings.h"

namespace base {
namespace {

const char kKeySerialValue[] = "ReleaseKeySerial";
const char kRootSetValue[] = "RootSet";

UniqueRegKey OpenMachineKey(REGSAM access) {
    UniqueRegKey key;
    const LONG result = access == KEY_READ
                            ? ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUpdaterKey, 0, access, key.put())
                            : ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUpdaterKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                access, nullptr, key.put(), nullptr);
    if (result != ERROR_SUCCESS) key.release();
    return key;
}

uint32_t ReadNumber(const char* name) {
    const UniqueRegKey key = OpenMachineKey(KEY_READ);
    DWORD type = 0, value = 0, size = sizeof(value);
    if (!key || ::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                    ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return 0;
    return value;
}

bool WriteNumber(HKEY key, const char* name, uint32_t number) {
    const DWORD value = number;
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

std::string ReadText(const char* name) {
    const UniqueRegKey key = OpenMachineKey(KEY_READ);
    DWORD type = 0, size = 0;
    if (!key || ::RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > 1024)
        return std::string();
    std::vector<char> text(size + 1, '\0');
    if (::RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::string();
    return text.data();
}

}  // namespace

uint32_t ReadReleaseKeySerial() { return ReadNumber(kKeySerialValue); }

bool WriteReleaseKeySerial(uint32_t serial) {
    const UniqueRegKey key = OpenMachineKey(KEY_SET_VALUE);
    return key && WriteNumber(key.get(), kKeySerialValue, serial);
}

StoredRootPin ReadRootPin() {
    const std::string text = ReadText(kRootSetValue);
    const size_t blank = text.find(' ');
    StoredRootPin pin;
    if (blank == std::string::npos || blank == 0 || blank > 10 ||
        text.find_first_not_of("0123456789") != blank)
        return pin;
    const unsigned long long version = std::strtoull(text.c_str(), nullptr, 10);
    if (version > 0xFFFFFFFFull) return pin;
    pin.version = static_cast<uint32_t>(version);
    pin.digest = text.substr(blank + 1);
    return pin;
}

bool WriteRootPin(const StoredRootPin& pin) {
    const UniqueRegKey key = OpenMachineKey(KEY_SET_VALUE);
    if (!key) return false;
    if (pin.version == 0) return ::RegDeleteValueA(key.get(), kRootSetValue) == ERROR_SUCCESS;
    const std::string text = std::to_string(pin.version) + " " + pin.digest;
    return ::RegSetValueExA(key.get(), kRootSetValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace base
