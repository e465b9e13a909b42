// Owners for the CryptoAPI handles of one verification (the provider's, and
// the certificate stores and chains of a server's certificate check), and
// the one provider every hash and key of this library lives in.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "base/unique_handle.h"

namespace crypto {

struct CryptProviderTraits : base::NullWhenAbsent<HCRYPTPROV> { static void close(Handle h) { ::CryptReleaseContext(h, 0); } };
struct CryptKeyTraits : base::NullWhenAbsent<HCRYPTKEY> { static void close(Handle h) { ::CryptDestroyKey(h); } };
struct CryptHashTraits : base::NullWhenAbsent<HCRYPTHASH> { static void close(Handle h) { ::CryptDestroyHash(h); } };

struct CertStoreTraits : base::NullWhenAbsent<HCERTSTORE> { static void close(Handle h) { ::CertCloseStore(h, 0); } };
struct CertChainEngineTraits : base::NullWhenAbsent<HCERTCHAINENGINE> { static void close(Handle h) { ::CertFreeCertificateChainEngine(h); } };
struct CertChainTraits : base::NullWhenAbsent<PCCERT_CHAIN_CONTEXT> { static void close(Handle h) { ::CertFreeCertificateChain(h); } };

using UniqueCryptProvider = base::UniqueHandle<CryptProviderTraits>;
using UniqueCryptKey = base::UniqueHandle<CryptKeyTraits>;
using UniqueCryptHash = base::UniqueHandle<CryptHashTraits>;
using UniqueCertStore = base::UniqueHandle<CertStoreTraits>;
using UniqueCertChainEngine = base::UniqueHandle<CertChainEngineTraits>;
using UniqueCertChain = base::UniqueHandle<CertChainTraits>;

// A key-less context of the AES provider (the one that offers SHA-256, since
// XP SP3); keys imported into it live only as long as it does. Empty when
// the platform has none.
UniqueCryptProvider AcquireProvider();
// One such context for the whole process, acquired at its first use, for the
// public keys that check signatures: acquiring one costs more than a check.
// Zero when the platform has none.
HCRYPTPROV SharedProvider();

}  // namespace crypto
