// The root keys a machine trusts, loaded for checking what they sign: a
// decision holds when at least `threshold` distinct keys of the set signed
// it. Distinct means distinct keys: two signature lines of one key count
// once, and a set that holds one key twice (in any encoding) is unusable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/public_key.h"
#include "integrity/trust_blocks.h"

namespace integrity {

// The id a root signature names its key by: SHA-256 of the DER
// SubjectPublicKeyInfo.
crypto::Sha256Digest KeyId(const std::string& der);

// A set from key files (PEM or DER, see key_text.h). False, and no keys in
// the set, when a file holds no public key, a key stands twice or the
// threshold is not 1..key count.
bool RootSetFromKeyFiles(const std::vector<std::string>& files, uint32_t threshold, uint32_t version, RootSet& roots);

// What identifies a root set for good: SHA-256 of its statement text.
crypto::Sha256Digest RootSetDigest(const RootSet& roots);

class RootKeys {
public:
    // False when a key is unusable or two are the same key.
    bool Load(const RootSet& roots);
    uint32_t threshold() const { return threshold_; }
    // True when `threshold` distinct keys of the set signed the block.
    bool Decide(const RootSignedBlock& block) const { return DecidedByEach({this}, block); }
    // True when the block carries, for every set, signatures of `threshold`
    // distinct keys of that set. A key in several sets is checked once and
    // counts in each; checking stops as soon as every set has decided.
    static bool DecidedByEach(const std::vector<const RootKeys*>& sets, const RootSignedBlock& block);
    // True when any one key of the set made this signature.
    bool AnySigned(const std::string& text, const std::vector<uint8_t>& signature) const;

private:
    struct Root {
        crypto::Sha256Digest id;
        crypto::PublicKey key;
    };
    const Root* Find(const crypto::Sha256Digest& id) const;
    std::vector<Root> roots_;
    uint32_t threshold_ = 0;
};

}  // namespace integrity
