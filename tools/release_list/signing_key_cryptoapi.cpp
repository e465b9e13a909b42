#include "tools/release_list/signing_key.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>

#include "base/system_error.h"
#include "crypto/crypt_handles.h"
#include "base/unique_handle.h"
#include "crypto/key_text.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/key_files.h"

namespace release_list {
namespace {

ReleaseListError CryptError(const std::string& what) {
    return ReleaseListError(what + ": " + base::SystemErrorText(::GetLastError()));
}

std::vector<uint8_t> ExportKey(HCRYPTKEY key, DWORD type) {
    DWORD size = 0;
    if (!::CryptExportKey(key, 0, type, 0, nullptr, &size)) throw CryptError("cannot export the key");
    std::vector<uint8_t> blob(size);
    if (!::CryptExportKey(key, 0, type, 0, blob.data(), &size)) throw CryptError("cannot export the key");
    blob.resize(size);
    return blob;
}

std::vector<uint8_t> Encode(LPCSTR structType, const void* value) {
    DWORD size = 0;
    if (!::CryptEncodeObjectEx(X509_ASN_ENCODING, structType, value, 0, nullptr, nullptr, &size))
        throw CryptError("cannot encode the public key");
    std::vector<uint8_t> der(size);
    if (!::CryptEncodeObjectEx(X509_ASN_ENCODING, structType, value, 0, nullptr, der.data(), &size))
        throw CryptError("cannot encode the public key");
    der.resize(size);
    return der;
}

// DER: a tag, its length, its content.
std::string DerElement(uint8_t tag, const std::string& content) {
    std::string length;
    if (content.size() < 0x80) {
        length += static_cast<char>(content.size());
    } else {
        for (size_t n = content.size(); n > 0; n >>= 8) length.insert(length.begin(), static_cast<char>(n & 0xFF));
        length.insert(length.begin(), static_cast<char>(0x80 | length.size()));
    }
    return static_cast<char>(tag) + length + content;
}

// A non-negative INTEGER from a little-endian number of `size` bytes.
std::string DerInteger(const uint8_t* littleEndian, size_t size) {
    std::string bytes(littleEndian, littleEndian + size);
    std::reverse(bytes.begin(), bytes.end());
    const size_t first = bytes.find_first_not_of('\0');
    bytes = first == std::string::npos ? std::string(1, '\0') : bytes.substr(first);
    if (static_cast<uint8_t>(bytes[0]) & 0x80) bytes.insert(bytes.begin(), '\0');
    return DerElement(0x02, bytes);
}

// PKCS #1 RSAPrivateKey from the platform's private key blob. The platform
// reads this structure but (under some versions) cannot write it; its layout
// is fixed: version, n, e, d, p, q, d mod (p-1), d mod (q-1), q^-1 mod p.
std::string Pkcs1PrivateKey(const std::vector<uint8_t>& blob) {
    const RSAPUBKEY* rsa = reinterpret_cast<const RSAPUBKEY*>(blob.data() + sizeof(BLOBHEADER));
    const size_t bytes = rsa->bitlen / 8, half = bytes / 2;
    const uint8_t* p = blob.data() + sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
    const uint8_t* modulus = p;
    const uint8_t* prime1 = modulus + bytes;
    const uint8_t* prime2 = prime1 + half;
    const uint8_t* exponent1 = prime2 + half;
    const uint8_t* exponent2 = exponent1 + half;
    const uint8_t* coefficient = exponent2 + half;
    const uint8_t* privateExponent = coefficient + half;
    const uint8_t version = 0;
    return DerElement(0x30, DerInteger(&version, 1) + DerInteger(modulus, bytes) +
                                DerInteger(reinterpret_cast<const uint8_t*>(&rsa->pubexp), sizeof(rsa->pubexp)) +
                                DerInteger(privateExponent, bytes) + DerInteger(prime1, half) +
                                DerInteger(prime2, half) + DerInteger(exponent1, half) +
                                DerInteger(exponent2, half) + DerInteger(coefficient, half));
}

// SubjectPublicKeyInfo (rsaEncryption, NULL parameters) of a public key blob.
std::vector<uint8_t> SubjectPublicKeyInfo(const std::vector<uint8_t>& publicBlob) {
    std::vector<uint8_t> rsaPublicKey = Encode(RSA_CSP_PUBLICKEYBLOB, publicBlob.data());
    static BYTE nullParameters[] = {0x05, 0x00};
    CERT_PUBLIC_KEY_INFO info = {};
    info.Algorithm.pszObjId = const_cast<LPSTR>(szOID_RSA_RSA);
    info.Algorithm.Parameters.cbData = sizeof(nullParameters);
    info.Algorithm.Parameters.pbData = nullParameters;
    info.PublicKey.cbData = static_cast<DWORD>(rsaPublicKey.size());
    info.PublicKey.pbData = rsaPublicKey.data();
    return Encode(X509_PUBLIC_KEY_INFO, &info);
}

}  // namespace

void MakeKeyPair(const std::string& privateKeyPath, const std::string& publicKeyPath) {
    RefuseExistingKeyFiles(privateKeyPath, publicKeyPath);
    crypto::UniqueCryptProvider provider = crypto::AcquireProvider();
    if (!provider) throw CryptError("the platform offers no RSA provider");
    crypto::UniqueCryptKey key;
    if (!::CryptGenKey(provider.get(), AT_SIGNATURE, (kKeyBits << 16) | CRYPT_EXPORTABLE, key.put())) {
        key.release();
        throw CryptError("cannot make a key pair");
    }
    const std::string privateDer = Pkcs1PrivateKey(ExportKey(key.get(), PRIVATEKEYBLOB));
    const std::vector<uint8_t> publicDer = SubjectPublicKeyInfo(ExportKey(key.get(), PUBLICKEYBLOB));
    const std::string publicPem = crypto::EncodeKeyText(std::string(publicDer.begin(), publicDer.end()), crypto::kPublicKeyLabel);
    WriteKeyPairFiles(privateKeyPath, crypto::EncodeKeyText(privateDer, crypto::kPrivateKeyLabel), publicKeyPath, publicPem);
}

struct SigningKey::Key {
    crypto::UniqueCryptProvider provider;
    crypto::UniqueCryptKey key;
    DWORD keySpec = AT_SIGNATURE;
};

SigningKey::~SigningKey() = default;

SigningKey::SigningKey(const std::string& privateKeyPath) : key_(new Key) {
    const std::vector<uint8_t> der = ReadPrivateKeyDer(privateKeyPath);
    BYTE* blob = nullptr;
    DWORD size = 0;
    if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, PKCS_RSA_PRIVATE_KEY, der.data(), static_cast<DWORD>(der.size()),
                               CRYPT_DECODE_ALLOC_FLAG, nullptr, &blob, &size))
        throw CryptError("the key file " + privateKeyPath + " cannot be read as an RSA private key");
    base::UniqueLocalMemory blobOwner(blob);
    key_->provider = crypto::AcquireProvider();
    if (!key_->provider) throw CryptError("the platform offers no RSA provider");
    if (!::CryptImportKey(key_->provider.get(), blob, size, 0, 0, key_->key.put())) {
        key_->key.release();
        throw CryptError("cannot use the key in " + privateKeyPath);
    }
    // Imported keys keep the purpose the blob names: a key exchange pair
    // signs as AT_KEYEXCHANGE.
    ALG_ID algorithm = 0;
    DWORD length = sizeof(algorithm);
    if (::CryptGetKeyParam(key_->key.get(), KP_ALGID, reinterpret_cast<BYTE*>(&algorithm), &length, 0) &&
        algorithm == CALG_RSA_KEYX)
        key_->keySpec = AT_KEYEXCHANGE;
}

std::string SigningKey::PublicKeyDer() const {
    const std::vector<uint8_t> der = SubjectPublicKeyInfo(ExportKey(key_->key.get(), PUBLICKEYBLOB));
    return std::string(der.begin(), der.end());
}

std::vector<uint8_t> SigningKey::Sign(const std::string& message) const {
    crypto::UniqueCryptHash hash;
    if (!::CryptCreateHash(key_->provider.get(), CALG_SHA_256, 0, 0, hash.put())) {
        hash.release();
        throw CryptError("cannot hash the release");
    }
    if (!::CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(message.data()), static_cast<DWORD>(message.size()), 0))
        throw CryptError("cannot hash the release");
    DWORD size = 0;
    if (!::CryptSignHashA(hash.get(), key_->keySpec, nullptr, 0, nullptr, &size)) throw CryptError("cannot sign the release");
    std::vector<uint8_t> signature(size);
    if (!::CryptSignHashA(hash.get(), key_->keySpec, nullptr, 0, signature.data(), &size))
        throw CryptError("cannot sign the release");
    signature.resize(size);
    std::reverse(signature.begin(), signature.end());
    return signature;
}

}  // namespace release_list
