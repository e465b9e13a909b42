#include "crypto/key_text.h"

#include <windows.h>
#include <wincrypt.h>

namespace crypto {

bool DecodeKeyText(const std::string& file, const char* label, std::vector<uint8_t>& der) {
    if (!file.empty() && static_cast<uint8_t>(file[0]) == 0x30) {
        der.assign(file.begin(), file.end());
        return true;
    }
    const std::string begin = std::string("-----BEGIN ") + label + "-----";
    const size_t start = file.find(begin);
    if (start == std::string::npos || file.find("-----BEGIN ") != start) return false;
    const std::string pem = file.substr(start);
    DWORD size = 0;
    if (!::CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                                &size, nullptr, nullptr) ||
        size == 0)
        return false;
    der.assign(size, 0);
    if (!::CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                                &size, nullptr, nullptr))
        return false;
    der.resize(size);
    return true;
}

}  // namespace crypto
