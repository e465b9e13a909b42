#include "tests/integration/integrity/trust_documents.h"

#include <algorithm>

#include "crypto/key_text.h"
#include "integrity/root_keys.h"
#include "tests/support/test_env.h"
#include "tools/release_list/signing_key.h"

namespace trustdoc {

const char kList[] = "LIST";

std::string Fixture(const std::string& file) {
    return testenv::ReadFileBytes(testenv::BinaryDir() + "fixtures\\integrity\\" + file);
}

std::string KeyDer(const std::string& name) {
    std::vector<uint8_t> der;
    crypto::DecodeKeyText(Fixture(name + ".pub.pem"), crypto::kPublicKeyLabel, der);
    return std::string(der.begin(), der.end());
}

integrity::RootSet Roots(uint32_t version, uint32_t threshold, const Names& keys) {
    integrity::RootSet roots{version, threshold, {}};
    for (const std::string& name : keys) roots.keys.push_back(KeyDer(name));
    std::sort(roots.keys.begin(), roots.keys.end());
    return roots;
}

integrity::RootSignedBlock SignBlock(const std::string& text, const Names& signers) {
    integrity::RootSignedBlock block{text, {}};
    for (const std::string& name : signers) {
        const release_list::SigningKey key(testenv::BinaryDir() + "fixtures\\integrity\\" + name + ".pem");
        block.signatures.push_back({integrity::KeyId(KeyDer(name)), key.Sign(text)});
    }
    std::sort(block.signatures.begin(), block.signatures.end(),
              [](const integrity::RootSignature& a, const integrity::RootSignature& b) { return a.keyId < b.keyId; });
    return block;
}

std::string Statement(const integrity::RootSet& roots, const Names& signers) {
    return integrity::RootSignedBlockText(SignBlock(integrity::RootStatementText(roots), signers));
}

std::string Certificate(uint32_t keySerial, const std::string& releaseKey, const Names& signers) {
    return integrity::RootSignedBlockText(SignBlock(integrity::CertificateText(keySerial, KeyDer(releaseKey)), signers));
}

std::string Release(const std::string& signer, uint32_t serial, const std::set<std::string>& channels) {
    integrity::ReleaseManifest manifest;
    manifest.folder = "2026a";
    manifest.serial = serial;
    manifest.channels = channels;
    crypto::HashBytes(kList, manifest.listSha256);
    manifest.files["readme.txt"].size = 6;
    const std::string text = integrity::ManifestText(manifest);
    const release_list::SigningKey key(testenv::BinaryDir() + "fixtures\\integrity\\" + signer + ".pem");
    return integrity::SignatureFileText(text, key.Sign(text));
}

}  // namespace trustdoc
