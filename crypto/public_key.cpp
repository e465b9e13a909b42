#include "crypto/public_key.h"

#include "crypto/key_text.h"

namespace crypto {

PublicKey::PublicKey() : key_(NewKey()) {}
PublicKey::~PublicKey() = default;
// A key moved from is an empty one, not a null one.
PublicKey::PublicKey(PublicKey&& other) noexcept : key_(std::move(other.key_)) { other.key_.reset(NewKey()); }
PublicKey& PublicKey::operator=(PublicKey&& other) noexcept {
    key_.swap(other.key_);
    return *this;
}

bool PublicKey::Load(const std::string& file) {
    std::vector<uint8_t> der;
    if (!DecodeKeyText(file, kPublicKeyLabel, der)) {
        LoadDer(std::string());
        return false;
    }
    return LoadDer(std::string(der.begin(), der.end()));
}

}  // namespace crypto
