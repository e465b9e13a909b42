#include "base/updater_settings.h"

#include "base/settings_key.h"

namespace base {
namespace {

const SettingsKey kUserKey = {HKEY_CURRENT_USER, 0};

}  // namespace

bool WriteInstallPath(const char* text) { return WriteTextValue(kUserKey, "InstallPath", text); }
bool ReadInstallPath(std::string& text) { return ReadTextValue(kUserKey, "InstallPath", text); }

}  // namespace base
