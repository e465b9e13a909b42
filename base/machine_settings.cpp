#include "base/machine_settings.h"

#include <cstdlib>

#include "base/command_line.h"
#include "base/settings_key.h"

namespace base {
namespace {

const SettingsKey kMachineKey = {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY};
const char kRootSetValue[] = "RootSet";
// A root set's version and digest in hex are far shorter; anything longer
// was not written by the updater.
constexpr size_t kLongestRootPin = 128;

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
uint32_t ReadReleaseKeySerial() { return ReadSerial("ReleaseKeySerial"); }
bool WriteReleaseKeySerial(uint32_t serial) { return WriteSerial("ReleaseKeySerial", serial); }

bool WriteRepairPending(bool pending) { return WriteTextValue(kMachineKey, "RepairPending", pending ? "1" : nullptr); }

bool TakeRepairPending() {
    std::string text;
    if (!ReadTextValue(kMachineKey, "RepairPending", text)) return false;
    WriteRepairPending(false);
    return true;
}

std::string ReadInstalledRelease() {
    std::string digest;
    ReadTextValue(kMachineKey, "InstalledRelease", digest);
    return digest;
}

bool WriteInstalledRelease(const char* digest) { return WriteTextValue(kMachineKey, "InstalledRelease", digest); }

StoredRootPin ReadRootPin() {
    std::string text;
    StoredRootPin pin;
    if (!ReadTextValue(kMachineKey, kRootSetValue, text) || text.size() > kLongestRootPin) return pin;
    const size_t blank = text.find(' ');
    if (blank == std::string::npos || blank == 0 || blank > 10 || text.find_first_not_of("0123456789") != blank)
        return pin;
    const unsigned long long version = std::strtoull(text.c_str(), nullptr, 10);
    if (version > 0xFFFFFFFFull) return pin;
    pin.version = static_cast<uint32_t>(version);
    pin.digest = text.substr(blank + 1);
    return pin;
}

bool WriteRootPin(const StoredRootPin& pin) {
    if (pin.version == 0) return WriteTextValue(kMachineKey, kRootSetValue, nullptr);
    return WriteTextValue(kMachineKey, kRootSetValue, (std::to_string(pin.version) + " " + pin.digest).c_str());
}

bool StoreExecArgument() {
    if (__argc < 2) return false;
    std::string value;
    GetCommandLineValue("exec:", value);
    return WriteRunOnce(value.c_str());
}

}  // namespace base
