#include "tools/release_list/release_signing.h"

#include <chrono>

#include "integrity/trust_blocks.h"
#include "release/list_text.h"
#include "tools/release_list/release_error.h"
#include "release/staging_layout.h"

namespace release_list {
namespace {

integrity::SignedFile DescribeBytes(const std::string& bytes) {
    integrity::SignedFile file;
    file.size = static_cast<uint32_t>(bytes.size());
    if (!crypto::HashBytes(bytes, file.sha256)) throw ReleaseListError("cannot hash the list");
    return file;
}

// The serial of a published signature file for the same folder, list and
// files; 0 when there is none.
uint32_t PublishedSerial(const std::string& published, integrity::ReleaseManifest manifest) {
    integrity::SignatureBlocks blocks;
    if (integrity::ReadSignatureBlocks(published, blocks) != integrity::BlocksRead::kRead) return 0;
    const integrity::SignatureFile& file = blocks.release;
    manifest.serial = file.manifest.serial;
    return integrity::ManifestText(manifest) == file.signedText ? file.manifest.serial : 0;
}

}  // namespace

uint32_t SerialFromClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

integrity::ReleaseManifest DescribeSignedFiles(const ReleasePlan& plan, const std::map<std::string, FileDigests>& digests,
                                               base::StringList& problems) {
    integrity::ReleaseManifest manifest;
    for (const PlannedFile& planned : plan.files) {
        const auto digest = digests.find(planned.file.remoteName);
        if (digest == digests.end() || !digest->second.read) {
            problems.push_back("\"" + planned.file.remoteName + "\" could not be read to the end for its signature");
            continue;
        }
        manifest.files[planned.file.remoteName] = digest->second.signedFile;
    }
    return manifest;
}

SignedRelease SignRelease(const SigningKey& key, integrity::ReleaseManifest manifest, const std::string& listBytes,
                          bool listNamesItself, uint32_t serial, const std::string& publishedSignature) {
    const integrity::SignedFile list = DescribeBytes(listBytes);
    manifest.listSha256 = list.sha256;
    // The updater stages its local list like any other listed file.
    if (listNamesItself) manifest.files[release::kListFileName] = list;
    if (serial == 0) serial = PublishedSerial(publishedSignature, manifest);
    manifest.serial = serial ? serial : SerialFromClock();
    const std::string text = integrity::ManifestText(manifest);
    return {integrity::SignatureFileText(text, key.Sign(text)), manifest.serial};
}

}  // namespace release_list
