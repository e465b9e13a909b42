// The blocks by which the root keys vouch for the keys that sign releases.
// A signature file is zero or more root statements, at most one release-key
// certificate, then the release signature (release_signature.h), each block
// beginning with its own header line:
//
//   ARKENFEL ROOT STATEMENT 1                 the root set that succeeds the one before
//   root-version <decimal, grows with every statement>
//   threshold <k: how many of these roots must sign what the roots decide>
//   root-key <DER SubjectPublicKeyInfo, hex>  1..16 lines, in byte order
//   root-signature <key id> <signature>       of k current and k new roots
//
//   ARKENFEL RELEASE KEY CERTIFICATE 1        the key that signs releases
//   key-serial <decimal; a higher one revokes every lower one>
//   release-key <DER SubjectPublicKeyInfo, hex>
//   root-signature <key id> <signature>       of k roots
//
// Root signatures stand in key-id order, each key once; each covers every
// byte of its block before the first "root-signature" line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "integrity/release_signature.h"
#include "integrity/signed_lines.h"

namespace integrity {

constexpr size_t kMaxRootKeys = 16;
constexpr size_t kMaxRootSignatures = 2 * kMaxRootKeys;  // k current and k new
constexpr size_t kMaxChainSteps = 8;                      // root statements in one file
constexpr size_t kMaxKeyBytes = 1100;                     // an 8192-bit RSA key's SubjectPublicKeyInfo

// Root keys and how many of them decide. `keys` are DER SubjectPublicKeyInfo
// bytes in byte order, each once.
struct RootSet {
    uint32_t version = 0;
    uint32_t threshold = 0;
    std::vector<std::string> keys;
};

// A block's signed part and the root signatures under it.
struct RootSignedBlock {
    std::string signedText;
    std::vector<RootSignature> signatures;  // in key-id order
};
// The whole block: signed part, then one line per signature.
std::string RootSignedBlockText(const RootSignedBlock& block);

// The signed part of a root statement naming `roots`.
std::string RootStatementText(const RootSet& roots);
struct RootStatement {
    RootSignedBlock block;
    RootSet roots;
};
bool ParseRootStatement(const std::string& text, RootStatement& statement);

// The signed part of a certificate of `releaseKey` (DER) with `keySerial`.
std::string CertificateText(uint32_t keySerial, const std::string& releaseKey);
struct KeyCertificate {
    RootSignedBlock block;
    uint32_t keySerial = 0;
    std::string releaseKey;  // DER SubjectPublicKeyInfo
};
bool ParseKeyCertificate(const std::string& text, KeyCertificate& certificate);

// A whole signature file, split into its blocks and read strictly. Root
// statements stand in growing root-version order.
struct SignatureBlocks {
    std::vector<RootStatement> statements;
    bool certified = false;  // `certificate` holds one
    KeyCertificate certificate;
    SignatureFile release;
};
enum class BlocksRead { kRead, kMalformed, kChainTooLong };
BlocksRead ReadSignatureBlocks(const std::string& text, SignatureBlocks& blocks);

}  // namespace integrity
