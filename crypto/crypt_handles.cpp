#include "crypto/crypt_handles.h"

namespace crypto {

UniqueCryptProvider AcquireProvider() {
    UniqueCryptProvider provider;
    if (!::CryptAcquireContextA(provider.put(), nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        provider.release();
    return provider;
}

HCRYPTPROV SharedProvider() {
    static const UniqueCryptProvider provider = AcquireProvider();
    return provider.get();
}

}  // namespace crypto
