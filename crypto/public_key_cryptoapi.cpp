// RSA public keys and signature checks through CryptoAPI.
#include "crypto/public_key.h"

#include "crypto/crypt_handles.h"

namespace crypto {

struct PublicKey::Key {
    UniqueCryptKey handle;  // in SharedProvider()
};

PublicKey::Key* PublicKey::NewKey() { return new Key; }
void PublicKey::KeyDeleter::operator()(Key* key) const { delete key; }

bool PublicKey::loaded() const { return key_->handle.valid(); }

bool PublicKey::LoadDer(const std::string& der) {
    key_->handle.reset();
    base::UniqueLocalMemory decoded;  // CRYPT_DECODE_ALLOC_FLAG: LocalAlloc
    DWORD size = 0;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(der.data());
    if (der.empty() || !::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, bytes, static_cast<DWORD>(der.size()),
                                              CRYPT_DECODE_ALLOC_FLAG, nullptr, decoded.put(), &size))
        return false;
    auto* info = static_cast<CERT_PUBLIC_KEY_INFO*>(decoded.get());
    if (std::string(info->Algorithm.pszObjId) != szOID_RSA_RSA) return false;
    const HCRYPTPROV provider = SharedProvider();
    if (!provider) return false;
    if (!::CryptImportPublicKeyInfo(provider, X509_ASN_ENCODING, info, key_->handle.put())) key_->handle.release();
    return loaded();
}

uint32_t PublicKey::Bits() const {
    DWORD bits = 0, size = sizeof(bits);
    if (!loaded() || !::CryptGetKeyParam(key_->handle.get(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0))
        return 0;
    return bits;
}

std::vector<uint8_t> PublicKey::Exported() const {
    DWORD size = 0;
    if (!loaded() || !::CryptExportKey(key_->handle.get(), 0, PUBLICKEYBLOB, 0, nullptr, &size)) return {};
    std::vector<uint8_t> blob(size);
    if (!::CryptExportKey(key_->handle.get(), 0, PUBLICKEYBLOB, 0, blob.data(), &size)) return {};
    blob.resize(size);
    return blob;
}

bool PublicKey::Verify(const std::string& message, const std::vector<uint8_t>& signature) const {
    if (!loaded() || signature.empty()) return false;
    UniqueCryptHash hash;
    if (!::CryptCreateHash(SharedProvider(), CALG_SHA_256, 0, 0, hash.put())) {
        hash.release();
        return false;
    }
    if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()),
                         static_cast<DWORD>(message.size()), 0))
        return false;
    // CryptoAPI keeps signatures least significant byte first.
    std::vector<uint8_t> reversed(signature.rbegin(), signature.rend());
    return ::CryptVerifySignatureA(hash.get(), reversed.data(), static_cast<DWORD>(reversed.size()),
                                   key_->handle.get(), nullptr, 0) != FALSE;
}

}  // namespace crypto
