#include "tools/release_list/signing_chain.h"

#include <algorithm>
#include <vector>

#include "integrity/root_keys.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/staged_file.h"

namespace release_list {
namespace {

std::string ReadWhole(const std::string& path, const char* what) {
    const std::string text = ReadExistingFile(path);
    if (text.empty()) throw ReleaseListError(std::string("the ") + what + " " + path + " does not exist or is empty");
    return text;
}

bool SignedBy(const integrity::RootSignedBlock& block, const crypto::Sha256Digest& id) {
    return std::any_of(block.signatures.begin(), block.signatures.end(),
                       [&](const integrity::RootSignature& signature) { return signature.keyId == id; });
}

}  // namespace

SigningChain ReadSigningChain(const ReleaseOptions& options, const SigningKey& key) {
    const std::string signer = key.PublicKeyDer();
    const crypto::Sha256Digest signerId = integrity::KeyId(signer);
    std::vector<integrity::RootStatement> statements;
    for (const std::string& path : options.rootStatements) {
        integrity::RootStatement statement;
        if (!integrity::ParseRootStatement(ReadWhole(path, "root statement"), statement))
            throw ReleaseListError(path + " is not a root statement (see --rotate-roots)");
        statements.push_back(std::move(statement));
    }
    std::sort(statements.begin(), statements.end(), [](const integrity::RootStatement& a, const integrity::RootStatement& b) {
        return a.roots.version < b.roots.version;
    });
    for (size_t i = 1; i < statements.size(); ++i)
        if (statements[i].roots.version == statements[i - 1].roots.version)
            throw ReleaseListError("two root statements name root version " + std::to_string(statements[i].roots.version));
    if (statements.size() > integrity::kMaxChainSteps)
        throw ReleaseListError("more than " + std::to_string(integrity::kMaxChainSteps) +
                               " root statements: updaters follow no longer chains");

    SigningChain chain;
    chain.rootStatements = statements.size();
    for (const integrity::RootStatement& statement : statements) chain.text += integrity::RootSignedBlockText(statement.block);
    if (options.certificate.empty()) return chain;

    integrity::KeyCertificate certificate;
    if (!integrity::ParseKeyCertificate(ReadWhole(options.certificate, "certificate"), certificate))
        throw ReleaseListError(options.certificate + " is not a release-key certificate (see --certify)");
    if (certificate.releaseKey != signer)
        throw ReleaseListError(options.certificate + " certifies another key than the one given with --sign");
    // A root that signs releases day to day would be as exposed as the
    // release key it was meant to stand behind.
    const bool signerIsRoot =
        SignedBy(certificate.block, signerId) ||
        std::any_of(statements.begin(), statements.end(), [&](const integrity::RootStatement& statement) {
            return std::find(statement.roots.keys.begin(), statement.roots.keys.end(), signer) !=
                   statement.roots.keys.end();
        });
    if (signerIsRoot)
        throw ReleaseListError("the key given with --sign is a root key; sign releases with the certified release key");
    chain.text += integrity::RootSignedBlockText(certificate.block);
    chain.keySerial = certificate.keySerial;
    return chain;
}

}  // namespace release_list
