#include "install/registry.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/split_string.h"

namespace install {
namespace {

struct RootKeyName {
    const char* name;
    HKEY key;
};

const std::vector<RootKeyName>& RootKeyTable() {
    static const std::vector<RootKeyName> table = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA},
    };
    return table;
}

}  // namespace

bool CRegistry::Open(HKEY root, const std::string& keyPath) {
    if (::RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, key_.put()) == ERROR_SUCCESS) return true;
    key_.release();  // a failed open leaves no key to close
    return false;
}

HKEY RootKeyFromName(const std::string& name) {
    for (const RootKeyName& entry : RootKeyTable()) {
        if (base::EqualsNoCase(name, entry.name)) return entry.key;
    }
    return nullptr;
}

bool ParseRegistryPath(const std::string& text, HKEY& root, std::string& keyPath,
                       std::string& valueName) {
    base::StringList pieces;
    base::SplitString(base::ReplaceAll(text, "/", "\\"), "\\", pieces);
    const size_t n = pieces.size();
    valueName = pieces[n - 1];
    keyPath.clear();
    for (size_t i = 1; i + 1 < n; ++i) keyPath += pieces[i] + "\\";
    while (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
    root = RootKeyFromName(pieces[0]);
    return root != nullptr;
}

bool ReadRegistryString(const std::string& valueName, const CRegistry& registry, std::string& text) {
    DWORD size = 0;
    if (::RegQueryValueExA(registry.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    if (size == 0) return true;
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(registry.get(), valueName.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return false;
    text.assign(buffer.data());
    return true;
}

bool WriteRegistryString(const std::string& valueName, const CRegistry& registry,
                         const std::string& text) {
    return ::RegSetValueExA(registry.get(), valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

}  // namespace install
