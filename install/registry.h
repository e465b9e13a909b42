// Reading and writing single registry values named by a text path such as
// HKEY_LOCAL_MACHINE\SOFTWARE\X\Version. Keys are opened, used and closed
// within one operation; nothing is kept between calls.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"

namespace install {

// Holds one open key and closes it when it goes away; Close() closes it early.
class CRegistry {
public:
    // Opens root\keyPath with KEY_ALL_ACCESS; on failure holds no key.
    bool Open(HKEY root, const std::string& keyPath);
    void Close() { key_.reset(); }
    bool IsOpen() const { return key_.valid(); }
    HKEY get() const { return key_.get(); }

private:
    base::UniqueRegKey key_;
};

// The predefined key for its full name ("HKEY_LOCAL_MACHINE", any case);
// null for any other text, abbreviations such as HKLM included.
HKEY RootKeyFromName(const std::string& name);

// Splits "root\key\path\value" ("/" accepted as well) into its parts. The last
// piece is the value name (empty for the key's default value). The outputs
// are filled in any case; true when the root name is known.
bool ParseRegistryPath(const std::string& text, HKEY& root, std::string& keyPath,
                       std::string& valueName);

// Reads a value of the key held by `registry` as text: its bytes up to the
// first zero, whatever its type. A value of size 0 leaves `text` unchanged.
bool ReadRegistryString(const std::string& valueName, const CRegistry& registry, std::string& text);

// Writes `text` as REG_SZ; the stored length leaves out the terminating zero.
bool WriteRegistryString(const std::string& valueName, const CRegistry& registry,
                         const std::string& text);

}  // namespace install
