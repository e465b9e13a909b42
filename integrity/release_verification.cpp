#include "integrity/release_verification.h"

#include "crypto/file_sha256.h"

namespace integrity {

ReleaseCheck CheckSignedRelease(const ReleaseManifest& manifest, const ReleaseWanted& wanted, uint32_t lowestSerial,
                                const std::string& listBytes) {
    if (manifest.folder != wanted.folder) return ReleaseCheck::kOtherFolder;
    if (!manifest.channels.empty() && !manifest.channels.count(wanted.channel)) return ReleaseCheck::kOtherChannel;
    if (manifest.serial < lowestSerial) return ReleaseCheck::kOlderSerial;
    crypto::Sha256Digest listDigest;
    if (!crypto::HashBytes(listBytes, listDigest) || listDigest != manifest.listSha256) return ReleaseCheck::kListMismatch;
    return ReleaseCheck::kVerified;
}

bool FileMatches(const std::string& path, const SignedFile& expected) {
    crypto::Sha256Digest digest;
    uint64_t size = 0;
    return crypto::HashFile(path, digest, size) && size == expected.size && digest == expected.sha256;
}

bool OpenFileMatches(HANDLE file, const SignedFile& expected) {
    crypto::Sha256Digest digest;
    uint64_t size = 0;
    return crypto::HashOpenFile(file, digest, size) && size == expected.size && digest == expected.sha256;
}

}  // namespace integrity
