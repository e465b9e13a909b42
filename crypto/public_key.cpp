#include "crypto/public_key.h"

#include "crypto/key_text.h"

namespace crypto {

bool PublicKey::Load(const std::string& file) {
    std::vector<uint8_t> der;
    if (!DecodeKeyText(file, kPublicKeyLabel, der)) {
        LoadDer(std::string());
        return false;
    }
    return LoadDer(std::string(der.begin(), der.end()));
}

}  // namespace crypto
