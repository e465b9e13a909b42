#include "tests/integration/install/install_test_support.h"

#include <shlwapi.h>

#include <stdexcept>
#include <vector>

#include "tests/support/test_env.h"

namespace installtest {

bool WaitForFile(const std::string& path, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!testenv::FileExists(path)) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

int CountRecordedLines(const std::string& path) {
    if (!testenv::FileExists(path)) return 0;
    const std::string text = testenv::ReadFileBytes(path);
    int count = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++count;
    return count;
}

bool WaitForLines(const std::string& path, int count, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (CountRecordedLines(path) < count) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
    return true;
}

TempRegistryKey::TempRegistryKey(HKEY root, const std::string& path) : root_(root), path_(path) {
    DeleteRegistryTree(root, path);
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot create registry key " + path);
}

TempRegistryKey::~TempRegistryKey() {
    ::RegCloseKey(key_);
    DeleteRegistryTree(root_, path_);
}

void TempRegistryKey::SetString(const std::string& name, const std::string& value) {
    ::RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
}

void TempRegistryKey::SetDword(const std::string& name, DWORD value) {
    ::RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

std::string TempRegistryKey::GetString(const std::string& name) const {
    DWORD size = 0;
    if (::RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    std::vector<char> data(size + 1, '\0');
    ::RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
    return data.data();
}

void DeleteRegistryTree(HKEY root, const std::string& path) { ::SHDeleteKeyA(root, path.c_str()); }

}  // namespace installtest

namespace installtest {
std::string ToLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}
}  // namespace installtest

