#include "integrity/root_keys.h"

#include <algorithm>

#include "crypto/key_text.h"

namespace integrity {

crypto::Sha256Digest KeyId(const std::string& der) {
    static const crypto::Sha256Hasher hasher;  // one provider for every id of the process
    crypto::Sha256Digest id{};
    hasher.Digest(der.data(), der.size(), id);
    return id;
}

bool RootSetFromKeyFiles(const std::vector<std::string>& files, uint32_t threshold, uint32_t version, RootSet& roots) {
    roots = RootSet();
    roots.version = version;
    roots.threshold = threshold;
    std::vector<std::string> keys;
    for (const std::string& file : files) {
        std::vector<uint8_t> der;
        if (!crypto::DecodeKeyText(file, crypto::kPublicKeyLabel, der)) return false;
        keys.emplace_back(der.begin(), der.end());
    }
    std::sort(keys.begin(), keys.end());
    if (keys.empty() || keys.size() > kMaxRootKeys || threshold < 1 || threshold > keys.size() ||
        std::adjacent_find(keys.begin(), keys.end()) != keys.end())
        return false;
    roots.keys = std::move(keys);
    return true;
}

crypto::Sha256Digest RootSetDigest(const RootSet& roots) { return KeyId(RootStatementText(roots)); }

bool RootKeys::Load(const RootSet& roots) {
    roots_.clear();
    threshold_ = roots.threshold;
    std::vector<std::vector<uint8_t>> exported;
    for (const std::string& der : roots.keys) {
        Root root{KeyId(der), crypto::PublicKey()};
        if (!root.key.LoadDer(der)) return false;
        exported.push_back(root.key.Exported());
        roots_.push_back(std::move(root));
    }
    std::sort(exported.begin(), exported.end());
    return !roots_.empty() && threshold_ >= 1 && threshold_ <= roots_.size() &&
           std::adjacent_find(exported.begin(), exported.end()) == exported.end();
}

const RootKeys::Root* RootKeys::Find(const crypto::Sha256Digest& id) const {
    for (const Root& root : roots_)
        if (root.id == id) return &root;
    return nullptr;
}

bool RootKeys::DecidedByEach(const std::vector<const RootKeys*>& sets, const RootSignedBlock& block) {
    std::vector<size_t> signers(sets.size(), 0);
    const auto decided = [&](size_t set) { return signers[set] >= sets[set]->threshold_; };
    const auto allDecided = [&] {
        for (size_t set = 0; set < sets.size(); ++set)
            if (!decided(set)) return false;
        return true;
    };
    // Signature lines carry each key id once, so each counts once.
    for (const RootSignature& signature : block.signatures) {
        if (allDecided()) break;
        const Root* root = nullptr;
        bool wanted = false;
        for (size_t set = 0; set < sets.size(); ++set) {
            const Root* found = sets[set]->Find(signature.keyId);
            if (!found) continue;
            root = found;
            wanted = wanted || !decided(set);
        }
        if (!wanted || !root->key.Verify(block.signedText, signature.signature)) continue;
        for (size_t set = 0; set < sets.size(); ++set)
            if (sets[set]->Find(signature.keyId)) ++signers[set];
    }
    return allDecided();
}

bool RootKeys::AnySigned(const std::string& text, const std::vector<uint8_t>& signature) const {
    return std::any_of(roots_.begin(), roots_.end(), [&](const Root& root) { return root.key.Verify(text, signature); });
}

}  // namespace integrity
