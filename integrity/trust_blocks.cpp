#include "integrity/trust_blocks.h"

#include <algorithm>

#include "crypto/hex_text.h"

namespace integrity {
namespace {

const char kStatementHeader[] = "ARKENFEL ROOT STATEMENT 1";
const char kCertificateHeader[] = "ARKENFEL RELEASE KEY CERTIFICATE 1";
const char kBlockStart[] = "ARKENFEL ";

std::string KeyText(const std::string& der) {
    return crypto::BytesToHex(reinterpret_cast<const uint8_t*>(der.data()), der.size());
}

bool TakeKey(const std::string& line, const char* keyword, std::string& der) {
    std::string hex;
    std::vector<uint8_t> bytes;
    if (!TakeValue(line, keyword, hex) || !TakeHex(hex, kMaxKeyBytes, bytes)) return false;
    der.assign(bytes.begin(), bytes.end());
    return true;
}

bool TakeNumber(const std::string& line, const char* keyword, uint32_t& number) {
    std::string text;
    return TakeValue(line, keyword, text) && ParseUnsigned32(text, number) && number > 0;
}

// Lines from `first` on are the block's root signatures: at least one, at
// most kMaxRootSignatures, in strictly growing key-id order.
bool TakeRootSignatures(const std::string& text, const std::vector<std::string>& lines,
                        const std::vector<size_t>& starts, size_t first, RootSignedBlock& block) {
    const size_t count = lines.size() - std::min(first, lines.size());
    if (count == 0 || count > kMaxRootSignatures) return false;
    for (size_t i = first; i < lines.size(); ++i) {
        RootSignature signature;
        if (!ParseRootSignatureLine(lines[i], signature)) return false;
        if (!block.signatures.empty() && signature.keyId <= block.signatures.back().keyId) return false;
        block.signatures.push_back(std::move(signature));
    }
    block.signedText = text.substr(0, starts[first]);
    return true;
}

// Where each block begins: the start of the text and every line that starts
// with "ARKENFEL " (no other line of any block can).
std::vector<size_t> BlockStarts(const std::string& text) {
    std::vector<size_t> starts{0};
    const std::string marker = std::string(kLineEnd) + kBlockStart;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 2))
        starts.push_back(at + 2);
    return starts;
}

bool StartsWithLine(const std::string& text, size_t at, const char* line) {
    const std::string expected = std::string(line) + kLineEnd;
    return text.compare(at, expected.size(), expected) == 0;
}

}  // namespace

std::string RootSignedBlockText(const RootSignedBlock& block) {
    std::string text = block.signedText;
    for (const RootSignature& signature : block.signatures) text += RootSignatureLine(signature);
    return text;
}

std::string RootStatementText(const RootSet& roots) {
    std::string text = std::string(kStatementHeader) + kLineEnd;
    text += "root-version " + std::to_string(roots.version) + kLineEnd;
    text += "threshold " + std::to_string(roots.threshold) + kLineEnd;
    for (const std::string& key : roots.keys) text += "root-key " + KeyText(key) + kLineEnd;
    return text;
}

bool ParseRootStatement(const std::string& text, RootStatement& statement) {
    std::vector<std::string> lines;
    std::vector<size_t> starts;
    if (!SplitLines(text, lines, starts) || lines.size() < 5 || lines.size() > 3 + kMaxRootKeys + kMaxRootSignatures ||
        lines[0] != kStatementHeader)
        return false;
    RootSet& roots = statement.roots;
    if (!TakeNumber(lines[1], "root-version", roots.version) || !TakeNumber(lines[2], "threshold", roots.threshold))
        return false;
    size_t next = 3;
    for (std::string key; next < lines.size() && TakeKey(lines[next], "root-key", key); ++next) {
        if (roots.keys.size() == kMaxRootKeys || (!roots.keys.empty() && key <= roots.keys.back())) return false;
        roots.keys.push_back(key);
    }
    return !roots.keys.empty() && roots.threshold <= roots.keys.size() &&
           TakeRootSignatures(text, lines, starts, next, statement.block);
}

std::string CertificateText(uint32_t keySerial, const std::string& releaseKey) {
    return std::string(kCertificateHeader) + kLineEnd + "key-serial " + std::to_string(keySerial) + kLineEnd +
           "release-key " + KeyText(releaseKey) + kLineEnd;
}

bool ParseKeyCertificate(const std::string& text, KeyCertificate& certificate) {
    std::vector<std::string> lines;
    std::vector<size_t> starts;
    if (!SplitLines(text, lines, starts) || lines.size() < 4 || lines.size() > 3 + kMaxRootSignatures ||
        lines[0] != kCertificateHeader)
        return false;
    return TakeNumber(lines[1], "key-serial", certificate.keySerial) &&
           TakeKey(lines[2], "release-key", certificate.releaseKey) &&
           TakeRootSignatures(text, lines, starts, 3, certificate.block);
}

BlocksRead ReadSignatureBlocks(const std::string& text, SignatureBlocks& blocks) {
    const std::vector<size_t> starts = BlockStarts(text);
    size_t block = 0;
    for (; block + 1 < starts.size() && StartsWithLine(text, starts[block], kStatementHeader); ++block) {
        if (block == kMaxChainSteps) return BlocksRead::kChainTooLong;
        RootStatement statement;
        if (!ParseRootStatement(text.substr(starts[block], starts[block + 1] - starts[block]), statement) ||
            (!blocks.statements.empty() && statement.roots.version <= blocks.statements.back().roots.version))
            return BlocksRead::kMalformed;
        blocks.statements.push_back(std::move(statement));
    }
    if (block + 1 < starts.size() && StartsWithLine(text, starts[block], kCertificateHeader)) {
        if (!ParseKeyCertificate(text.substr(starts[block], starts[block + 1] - starts[block]), blocks.certificate))
            return BlocksRead::kMalformed;
        blocks.certified = true;
        ++block;
    }
    // What is left is the release signature, the one block that may be all there is.
    if (block + 1 != starts.size()) return BlocksRead::kMalformed;
    const bool read = block == 0 ? ParseSignatureFile(text, blocks.release)
                                 : ParseSignatureFile(text.substr(starts[block]), blocks.release);
    return read ? BlocksRead::kRead : BlocksRead::kMalformed;
}

}  // namespace integrity
