#include "tools/release_list/trust_commands.h"

#include <algorithm>
#include <map>

#include "crypto/key_text.h"
#include "integrity/root_keys.h"
#include "tools/release_list/key_files.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/release_options.h"
#include "tools/release_list/signing_key.h"
#include "tools/release_list/staged_file.h"

namespace release_list {
namespace {

std::string ShortId(const crypto::Sha256Digest& id) { return crypto::DigestToHex(id).substr(0, 16); }

// The option pairs after "<command> <file>".
void ParseCommandOptions(const base::StringList& args, TrustCommand& command) {
    for (size_t i = 2; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size()) throw ReleaseListError("missing value for " + option);
        const std::string& value = args[i + 1];
        const bool certify = command.kind == TrustCommand::Kind::kCertify;
        if (option == "--root") {
            command.rootKeys.push_back(value);
        } else if (certify && option == "--release-key") {
            command.releaseKey = value;
        } else if (certify && option == "--key-serial") {
            command.keySerial = ParseNumber(option, value, 1);
        } else if (!certify && option == "--root-version") {
            command.rootVersion = ParseNumber(option, value, 2);
        } else if (!certify && option == "--threshold") {
            command.threshold = ParseNumber(option, value, 1);
        } else if (!certify && option == "--new-root") {
            command.newRoots.push_back(value);
        } else {
            throw ReleaseListError("unknown option for " + args[0] + ": " + option);
        }
    }
}

// Adds the signatures of every --root key to those the file has already
// when it states exactly `signedText`.
integrity::RootSignedBlock CoSign(const TrustCommand& command, const std::string& signedText,
                                  const integrity::RootSignedBlock* existing, base::StringList& report) {
    std::map<crypto::Sha256Digest, std::vector<uint8_t>> signatures;
    if (existing) {
        if (existing->signedText != signedText)
            throw ReleaseListError(command.file + " exists and states something else; sign into a new file");
        for (const integrity::RootSignature& signature : existing->signatures)
            signatures[signature.keyId] = signature.signature;
    }
    const std::map<crypto::Sha256Digest, std::vector<uint8_t>> before = signatures;
    for (const std::string& path : command.rootKeys) {
        const SigningKey key(path);
        const crypto::Sha256Digest id = integrity::KeyId(key.PublicKeyDer());
        signatures[id] = key.Sign(signedText);
        report.push_back("  signed by " + path + " (key id " + ShortId(id) + ")");
    }
    if (signatures.size() > integrity::kMaxRootSignatures)
        throw ReleaseListError("more than " + std::to_string(integrity::kMaxRootSignatures) + " root signatures");
    integrity::RootSignedBlock block;
    block.signedText = signedText;
    for (const auto& signature : signatures) block.signatures.push_back({signature.first, signature.second});
    if (!before.empty())
        report.push_back("  kept the " + std::to_string(before.size()) + " signature(s) the file had");
    return block;
}

base::StringList Certify(const TrustCommand& command) {
    const std::string releaseKey = ReadPublicKeyDer(command.releaseKey);
    integrity::KeyCertificate existing;
    const std::string published = ReadExistingFile(command.file);
    if (!published.empty() && !integrity::ParseKeyCertificate(published, existing))
        throw ReleaseListError(command.file + " exists and is no release-key certificate");
    base::StringList report;
    const integrity::RootSignedBlock block = CoSign(command, integrity::CertificateText(command.keySerial, releaseKey),
                                                    published.empty() ? nullptr : &existing.block, report);
    WriteWhole(command.file, integrity::RootSignedBlockText(block));
    report.insert(report.begin(), "wrote " + command.file + ": release key " + ShortId(integrity::KeyId(releaseKey)) +
                                      " with key serial " + std::to_string(command.keySerial) + ", " +
                                      std::to_string(block.signatures.size()) + " root signature(s)");
    return report;
}

base::StringList RotateRoots(const TrustCommand& command) {
    integrity::RootSet roots;
    roots.version = command.rootVersion;
    roots.threshold = command.threshold;
    for (const std::string& path : command.newRoots) roots.keys.push_back(ReadPublicKeyDer(path));
    std::sort(roots.keys.begin(), roots.keys.end());
    integrity::RootKeys usable;
    if (roots.keys.size() > integrity::kMaxRootKeys || !usable.Load(roots))
        throw ReleaseListError("the new roots must be 1 to " + std::to_string(integrity::kMaxRootKeys) +
                               " distinct keys");
    if (roots.threshold > roots.keys.size())
        throw ReleaseListError("--threshold is higher than the number of new roots");
    integrity::RootStatement existing;
    const std::string published = ReadExistingFile(command.file);
    if (!published.empty() && !integrity::ParseRootStatement(published, existing))
        throw ReleaseListError(command.file + " exists and is no root statement");
    base::StringList report;
    const integrity::RootSignedBlock block = CoSign(command, integrity::RootStatementText(roots),
                                                    published.empty() ? nullptr : &existing.block, report);
    WriteWhole(command.file, integrity::RootSignedBlockText(block));
    size_t newSigners = 0;
    for (const std::string& key : roots.keys) {
        const crypto::Sha256Digest id = integrity::KeyId(key);
        newSigners += std::any_of(block.signatures.begin(), block.signatures.end(),
                                  [&](const integrity::RootSignature& s) { return s.keyId == id; });
    }
    report.insert(report.begin(),
                  "wrote " + command.file + ": root version " + std::to_string(roots.version) + ", " +
                      std::to_string(roots.keys.size()) + " root keys, threshold " + std::to_string(roots.threshold) +
                      "; signed by " + std::to_string(newSigners) + " new root(s) and " +
                      std::to_string(block.signatures.size() - newSigners) +
                      " other(s): updaters need k of the current roots and " + std::to_string(roots.threshold) +
                      " of the new ones");
    return report;
}

}  // namespace

bool ParseTrustCommand(const base::StringList& args, TrustCommand& command) {
    if (args.empty() || (args[0] != "--certify" && args[0] != "--rotate-roots")) return false;
    command.kind = args[0] == "--certify" ? TrustCommand::Kind::kCertify : TrustCommand::Kind::kRotateRoots;
    if (args.size() < 2 || args[1].compare(0, 2, "--") == 0) throw ReleaseListError(args[0] + " needs the file to write first");
    command.file = args[1];
    ParseCommandOptions(args, command);
    if (command.rootKeys.empty()) throw ReleaseListError(args[0] + " needs at least one --root");
    if (command.kind == TrustCommand::Kind::kCertify && (command.releaseKey.empty() || command.keySerial == 0))
        throw ReleaseListError("--certify needs --release-key and --key-serial");
    if (command.kind == TrustCommand::Kind::kRotateRoots &&
        (command.rootVersion == 0 || command.threshold == 0 || command.newRoots.empty()))
        throw ReleaseListError("--rotate-roots needs --root-version, --threshold and at least one --new-root");
    return true;
}

base::StringList RunTrustCommand(const TrustCommand& command) {
    return command.kind == TrustCommand::Kind::kCertify ? Certify(command) : RotateRoots(command);
}

std::string ReadPublicKeyDer(const std::string& path) {
    const std::string file = ReadKeyFile(path);
    std::vector<uint8_t> der;
    crypto::PublicKey key;
    if (!crypto::DecodeKeyText(file, crypto::kPublicKeyLabel, der) ||
        !key.LoadDer(std::string(der.begin(), der.end())))
        throw ReleaseListError("the key file " + path + " is not an RSA public key (PEM \"PUBLIC KEY\" or DER)");
    return std::string(der.begin(), der.end());
}

}  // namespace release_list
