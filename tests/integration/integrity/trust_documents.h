// Root statements, certificates and release signatures made in process
// from the openssl-made test keys (tests/fixtures/integrity), signed through
// the release tool's code. Keys are named as their files: "test_root_1",
// "test_release_key", ...
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "integrity/release_signature.h"
#include "integrity/trust_blocks.h"

namespace trustdoc {

using Names = std::vector<std::string>;

std::string Fixture(const std::string& file);
// The DER SubjectPublicKeyInfo of the key's public key file.
std::string KeyDer(const std::string& name);
integrity::RootSet Roots(uint32_t version, uint32_t threshold, const Names& keys);
integrity::RootSignedBlock SignBlock(const std::string& text, const Names& signers);
std::string Statement(const integrity::RootSet& roots, const Names& signers);
std::string Certificate(uint32_t keySerial, const std::string& releaseKey, const Names& signers);
// A release of one file for folder "2026a", its list "LIST", signed by `signer`.
std::string Release(const std::string& signer, uint32_t serial = 10, const std::set<std::string>& channels = {});
extern const char kList[];

}  // namespace trustdoc
