#include "base/machine_settings.h"

#include "base/command_line.h"
#include "base/settings_key.h"

namespace base {
namespace {

const SettingsKey kMachineKey = {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY};

// A REG_DWORD; 0 when it is missing or of another type.
uint32_t ReadSerial(const char* name) {
    UniqueRegKey key = OpenSettingsKey(kMachineKey, KEY_READ);
    if (!key) return 0;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (::RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return 0;
    return value;
}

bool WriteSerial(const char* name, uint32_t serial) {
    UniqueRegKey key = OpenOrCreateSettingsKey(kMachineKey);
    const DWORD value = serial;
    return key && ::RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

bool WriteRunOnce(const char* text) { return WriteTextValue(kMachineKey, "RunOnce", text); }
bool ReadRunOnce(std::string& text) { return ReadTextValue(kMachineKey, "RunOnce", text); }

uint32_t ReadReleaseSerial() { return ReadSerial("ReleaseSerial"); }
bool WriteReleaseSerial(uint32_t serial) { return WriteSerial("ReleaseSerial", serial); }
uint32_t ReadInstalledSerial() { return ReadSerial("InstalledSerial"); }
bool WriteInstalledSerial(uint32_t serial) { return WriteSerial("InstalledSerial", serial); }

bool StoreExecArgument() {
    if (__argc < 2) return false;
    std::string value;
    GetCommandLineValue("exec:", value);
    return WriteRunOnce(value.c_str());
}

}  // namespace base
