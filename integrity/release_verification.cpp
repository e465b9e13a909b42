#include "integrity/release_verification.h"

namespace integrity {

ReleaseCheck VerifyRelease(const std::string& signatureFile, const PublicKey& key, const std::string& folder,
                           uint32_t lowestSerial, const std::string& listBytes, ReleaseManifest& manifest) {
    SignatureFile parsed;
    if (!ParseSignatureFile(signatureFile, parsed)) return ReleaseCheck::kMalformed;
    // Nothing the file says is looked at before the signature holds.
    if (!key.Verify(parsed.signedText, parsed.signature)) return ReleaseCheck::kBadSignature;
    if (parsed.manifest.folder != folder) return ReleaseCheck::kOtherFolder;
    if (parsed.manifest.serial < lowestSerial) return ReleaseCheck::kOlderSerial;
    Sha256Digest listDigest;
    if (!HashBytes(listBytes, listDigest) || listDigest != parsed.manifest.listSha256)
        return ReleaseCheck::kListMismatch;
    manifest = std::move(parsed.manifest);
    return ReleaseCheck::kVerified;
}

bool FileMatches(const std::string& path, const SignedFile& expected) {
    Sha256Digest digest;
    uint64_t size = 0;
    return HashFile(path, digest, size) && size == expected.size && digest == expected.sha256;
}

bool OpenFileMatches(HANDLE file, const SignedFile& expected) {
    Sha256Digest digest;
    uint64_t size = 0;
    return HashOpenFile(file, digest, size) && size == expected.size && digest == expected.sha256;
}

}  // namespace integrity
