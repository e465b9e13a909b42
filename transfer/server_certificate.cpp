#include "transfer/server_certificate.h"

#include <cstddef>
#include <mutex>
#include <set>
#include <utility>

#include "crypto/crypt_handles.h"

namespace transfer {
namespace {

// The engine's settings as XP knows them, the one layout every Windows takes.
// The machine's roots are a subset of every user's, which is what a
// restricted root store has to be.
static_assert(sizeof(CERT_CHAIN_ENGINE_CONFIG) ==
                  offsetof(CERT_CHAIN_ENGINE_CONFIG, CycleDetectionModulus) + sizeof(DWORD),
              "engine settings without the fields of later Windows versions");

// Certificates (their bytes) and the server names they were found good for.
std::mutex g_trustedLock;
std::set<std::pair<std::string, std::string>> g_trusted;

PCCERT_CONTEXT EndCertificate(PCCERT_CHAIN_CONTEXT chain) {
    if (!chain || chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) return nullptr;
    return chain->rgpChain[0]->rgpElement[0]->pCertContext;
}

// Every certificate of WinINet's chains, where ours looks for intermediates.
// Being here makes none of them a root.
crypto::UniqueCertStore Intermediates(PCCERT_CHAIN_CONTEXT received) {
    crypto::UniqueCertStore store(::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!store) return store;
    for (DWORD c = 0; c < received->cChain; ++c)
        for (DWORD e = 0; e < received->rgpChain[c]->cElement; ++e)
            ::CertAddCertificateContextToStore(store.get(), received->rgpChain[c]->rgpElement[e]->pCertContext,
                                               CERT_STORE_ADD_USE_EXISTING, nullptr);
    return store;
}

std::wstring Widen(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

crypto::UniqueCertChain MachineChain(PCCERT_CONTEXT end, HCERTSTORE intermediates) {
    crypto::UniqueCertStore machineRoots(::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                                         CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG,
                                                         "ROOT"));
    if (!machineRoots) return {};
    CERT_CHAIN_ENGINE_CONFIG config = {};
    config.cbSize = sizeof(config);
    config.hRestrictedRoot = machineRoots.get();
    // WinINet's chain brought every intermediate: nothing is fetched, so
    // the check never waits on the network.
    config.dwFlags = CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL;
    crypto::UniqueCertChainEngine engine;
    if (!::CertCreateCertificateChainEngine(&config, engine.put())) return {};

    LPSTR serverAuth[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof(para);
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = serverAuth;
    crypto::UniqueCertChain chain;
    if (!::CertGetCertificateChain(engine.get(), end, nullptr, intermediates, &para, 0, nullptr, chain.put()))
        chain.release();
    return chain;
}

bool PassesSslPolicy(PCCERT_CHAIN_CONTEXT chain, const std::string& serverName) {
    std::wstring name = Widen(serverName);
    if (name.empty()) return false;
    HTTPSPolicyCallbackData ssl = {};
    ssl.cbStruct = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &name[0];
    CERT_CHAIN_POLICY_PARA policy = {};
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    return ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
           status.dwError == ERROR_SUCCESS;
}

}  // namespace

bool ServerCertificateTrusted(PCCERT_CHAIN_CONTEXT received, const std::string& serverName) {
    const PCCERT_CONTEXT end = EndCertificate(received);
    if (!end) return false;
    std::pair<std::string, std::string> key(
        std::string(reinterpret_cast<const char*>(end->pbCertEncoded), end->cbCertEncoded), serverName);
    {
        std::lock_guard<std::mutex> hold(g_trustedLock);
        if (g_trusted.count(key)) return true;
    }
    const crypto::UniqueCertStore intermediates = Intermediates(received);
    if (!intermediates) return false;
    const crypto::UniqueCertChain chain = MachineChain(end, intermediates.get());
    // The chain's own status first: Wine's SSL policy lets a chain through
    // that ends short of any root.
    if (!chain || chain.get()->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR) return false;
    if (!PassesSslPolicy(chain.get(), serverName)) return false;
    std::lock_guard<std::mutex> hold(g_trustedLock);
    g_trusted.insert(std::move(key));
    return true;
}

}  // namespace transfer
