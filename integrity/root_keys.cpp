#include "integrity/root_keys.h"

#include <algorithm>

#include "integrity/key_text.h"

namespace integrity {

Sha256Digest KeyId(const std::string& der) {
    Sha256Digest id{};
    HashBytes(der, id);
    return id;
}

bool RootSetFromKeyFiles(const std::vector<std::string>& files, uint32_t threshold, uint32_t version, RootSet& roots) {
    roots = RootSet();
    roots.version = version;
    roots.threshold = threshold;
    std::vector<std::string> keys;
    for (const std::string& file : files) {
        std::vector<uint8_t> der;
        if (!DecodeKeyText(file, kPublicKeyLabel, der)) return false;
        keys.emplace_back(der.begin(), der.end());
    }
    std::sort(keys.begin(), keys.end());
    if (keys.empty() || keys.size() > kMaxRootKeys || threshold < 1 || threshold > keys.size() ||
        std::adjacent_find(keys.begin(), keys.end()) != keys.end())
        return false;
    roots.keys = std::move(keys);
    return true;
}

Sha256Digest RootSetDigest(const RootSet& roots) { return KeyId(RootStatementText(roots)); }

bool RootKeys::Load(const RootSet& roots) {
    roots_.clear();
    threshold_ = roots.threshold;
    std::vector<std::vector<uint8_t>> exported;
    for (const std::string& der : roots.keys) {
        Root root{KeyId(der), PublicKey()};
        if (!root.key.LoadDer(der)) return false;
        exported.push_back(root.key.Exported());
        roots_.push_back(std::move(root));
    }
    std::sort(exported.begin(), exported.end());
    return !roots_.empty() && std::adjacent_find(exported.begin(), exported.end()) == exported.end();
}

size_t RootKeys::CountSigners(const RootSignedBlock& block) const {
    size_t signers = 0;
    for (const Root& root : roots_) {
        // Signatures stand in key-id order, each id once.
        const auto signature =
            std::lower_bound(block.signatures.begin(), block.signatures.end(), root.id,
                             [](const RootSignature& s, const Sha256Digest& id) { return s.keyId < id; });
        if (signature != block.signatures.end() && signature->keyId == root.id &&
            root.key.Verify(block.signedText, signature->signature))
            ++signers;
    }
    return signers;
}

bool RootKeys::AnySigned(const std::string& text, const std::vector<uint8_t>& signature) const {
    return std::any_of(roots_.begin(), roots_.end(), [&](const Root& root) { return root.key.Verify(text, signature); });
}

}  // namespace integrity
