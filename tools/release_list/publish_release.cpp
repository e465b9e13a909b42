#include "tools/release_list/publish_release.h"

#include <algorithm>
#include <memory>

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "release/file_identity.h"
#include "tools/release_list/block_indexes.h"
#include "tools/release_list/file_digests.h"
#include "tools/release_list/gateway_text.h"
#include "tools/release_list/list_names.h"
#include "release/list_text.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/release_plan.h"
#include "tools/release_list/release_signing.h"
#include "tools/release_list/signing_chain.h"
#include "tools/release_list/staged_file.h"
#include "release/staging_layout.h"

namespace release_list {
namespace {

// The updater reads list values into a 255-byte buffer.
constexpr size_t kLongestValue = 254;

std::string FullFolderPath(const std::string& folder, const char* what) {
    std::string path;
    if (!base::AbsolutePath(folder, path)) throw ReleaseListError(std::string(what) + " \"" + folder + "\" is not a usable path");
    if (!base::IsFolder(path))
        throw ReleaseListError(std::string(what) + " \"" + folder + "\" does not exist or is not a folder");
    return path;
}

// The release's folder name as the gateway gives it: its path below the
// server root, with "/".
std::string VersionBelowRoot(const std::string& release, const std::string& root) {
    const std::string prefix = root.back() == base::kPathSeparator ? root : root + base::kPathSeparator;
    if (release.size() <= prefix.size() || !base::SamePath(release.substr(0, prefix.size()), prefix))
        throw ReleaseListError("the release folder " + release + " is not below the server root " + root +
                               "; the gateway can only name folders below it");
    const std::string version = base::ReplaceAll(release.substr(prefix.size()), std::string(1, base::kPathSeparator), "/");
    const std::string problem = CheckRemoteName(version);
    if (!problem.empty()) throw ReleaseListError("the version folder name \"" + version + "\" " + problem);
    return version;
}

// Fills the identity fields exactly as the updater computes them, the
// fingerprint from the file's one read.
bool DescribeFile(const std::string& path, const std::string& remote, const FileDigests& digest,
                  release::PublishedEntry& entry, base::StringList& problems) {
    {
        const base::ReadingFile probe(path, base::ReadingFile::Sharing::kReadersAndWriters, false);
        if (!probe.ok()) {
            problems.push_back("\"" + remote + "\" cannot be read: " + base::LastFileErrorText());
            return false;
        }
    }
    const uint64_t size = release::GetFileSize64(path);
    if (size == 0) {
        problems.push_back("\"" + remote +
                           "\" is empty; the updater cannot download an empty file, so remove it or give it content");
        return false;
    }
    if (size > kLargestListedSize) {
        problems.push_back("\"" + remote + "\" is 4 GiB or larger, which the list cannot describe");
        return false;
    }
    if (!digest.read || digest.size != size) {
        problems.push_back("\"" + remote + "\" could not be read to the end");
        return false;
    }
    entry.size = static_cast<uint32_t>(size);
    entry.fingerprint = digest.fingerprint;
    entry.version = release::GetProductVersionText(path);
    return true;
}

// Channels are gateway keys; a gateway line written for a key the release
// is not published for would only lead updaters to a refusal.
void CheckChannels(const ReleaseOptions& options) {
    for (const std::string& channel : options.channels) {
        const std::string problem = CheckGatewayKey(channel);
        if (!problem.empty()) throw ReleaseListError("channel \"" + channel + "\" " + problem);
    }
    if (options.channels.empty() || options.gatewayRoot.empty()) return;
    for (const std::string& key : options.gatewayKeys)
        if (std::find(options.channels.begin(), options.channels.end(), key) == options.channels.end())
            throw ReleaseListError("the gateway key \"" + key +
                                   "\" is not among the release's channels; add --channel \"" + key + "\"");
}

std::vector<release::PublishedSection> DescribeRelease(const ReleasePlan& plan,
                                             const std::map<std::string, BlockIndexFile>& indexes,
                                             const std::map<std::string, FileDigests>& digests,
                                             base::StringList& problems) {
    std::vector<release::PublishedSection> sections;
    for (const std::string& name : plan.sectionOrder) {
        release::PublishedSection section;
        section.name = name;
        for (const PlannedFile& planned : plan.files) {
            if (!base::EqualsNoCase(planned.section, name)) continue;
            release::PublishedEntry entry;
            entry.remoteName = planned.file.remoteName;
            entry.localPath = planned.localPath;
            entry.revision = planned.revision;
            const auto digest = digests.find(entry.remoteName);
            if (digest == digests.end() ||
                !DescribeFile(planned.file.path, entry.remoteName, digest->second, entry, problems))
                continue;
            const auto index = indexes.find(entry.remoteName);
            if (index != indexes.end()) {
                entry.blockIndexSize = static_cast<uint32_t>(index->second.bytes.size());
                entry.indexSeeds = index->second.seeds;
            }
            if (release::ListValue(entry).size() > kLongestValue)
                problems.push_back("\"" + entry.remoteName + "\": its list value is longer than the updater reads (" +
                                   std::to_string(kLongestValue) + " characters); shorten the revision text");
            section.entries.push_back(std::move(entry));
        }
        sections.push_back(std::move(section));
    }
    return sections;
}

void WriteList(const std::string& path, const std::string& text, bool includeSelf) {
    StagedFile staged(path);
    if (!includeSelf) {
        staged.Write(text);
        staged.Commit();
        return;
    }
    release::SelfDescribedList list = release::AppendSelfEntry(text);
    staged.Write(list.text);
    char fingerprint[17] = {};
    if (!release::ComputeFingerprint(staged.TempPath(), fingerprint))
        throw ReleaseListError("cannot read back " + staged.TempPath());
    release::FillSelfFingerprint(list, fingerprint);
    staged.Write(list.text);
    // The entry must describe the file as the updater will see it.
    char check[17] = {};
    if (!release::ComputeFingerprint(staged.TempPath(), check) || std::string(check) != fingerprint ||
        release::GetFileSize64(staged.TempPath()) != list.text.size())
        throw ReleaseListError("internal error: the list's entry for itself does not match the written list");
    staged.Commit();
}

// The folder the gateway names: below the server root when one is given,
// else the release folder's own name.
std::string SignedFolderName(const std::string& release, const std::string& version) {
    if (!version.empty()) return version;
    const std::string name = release.substr(release.rfind(base::kPathSeparator) + 1);
    const std::string problem = CheckRemoteName(name);
    if (!problem.empty()) throw ReleaseListError("the version folder name \"" + name + "\" " + problem);
    return name;
}

// The version folder seeds are looked for in; empty when none is named.
std::string PreviousReleaseFolder(const ReleaseOptions& options, const std::string& release) {
    if (options.previousRelease.empty()) return std::string();
    const std::string previous = FullFolderPath(options.previousRelease, "previous release folder");
    if (base::SamePath(previous, release))
        throw ReleaseListError("--previous names the release folder itself; name the version folder of the release before");
    return previous;
}

}  // namespace

PublishSummary PublishRelease(const ReleaseOptions& options) {
    PublishSummary summary;
    const std::string release = FullFolderPath(options.releaseFolder, "release folder");
    std::string root;
    if (!options.gatewayRoot.empty()) {
        root = FullFolderPath(options.gatewayRoot, "server root");
        summary.version = VersionBelowRoot(release, root);
        for (const std::string& key : options.gatewayKeys) {
            const std::string problem = CheckGatewayKey(key);
            if (!problem.empty()) throw ReleaseListError("gateway key \"" + key + "\" " + problem);
        }
    }

    // A key that cannot be used stops the run before anything is read or written.
    CheckChannels(options);
    std::unique_ptr<SigningKey> key;
    SigningChain chain;
    if (!options.signingKey.empty()) {
        key = std::make_unique<SigningKey>(options.signingKey);
        chain = ReadSigningChain(options, *key);
        summary.keySerial = chain.keySerial;
        summary.rootStatements = chain.rootStatements;
    }

    ScanResult scan = ScanRelease(release);
    base::StringList problems = scan.problems;
    if (scan.files.empty() && problems.empty()) problems.push_back("the release folder " + release + " holds no files");
    const ReleasePlan plan = PlanRelease(options, std::move(scan.files), problems);
    ThrowIfAny(problems);
    const std::string previous = PreviousReleaseFolder(options, release);
    // Every file is read once, here; what follows describes those bytes.
    std::map<std::string, FileDigests> digests =
        DigestFiles(plan, {static_cast<bool>(key), options.indexThreshold, options.blockSize});
    const std::map<std::string, BlockIndexFile> indexes = MakeBlockIndexes(plan, options, previous, digests, problems);
    ThrowIfAny(problems);
    const std::vector<release::PublishedSection> sections = DescribeRelease(plan, indexes, digests, problems);
    ThrowIfAny(problems);
    integrity::ReleaseManifest manifest;
    if (key) {
        manifest = DescribeSignedFiles(plan, digests, problems);
        ThrowIfAny(problems);
        SignBlockIndexes(indexes, manifest);
        manifest.folder = summary.signedFolder = SignedFolderName(release, summary.version);
        manifest.channels.insert(options.channels.begin(), options.channels.end());
    }

    // The gateway text is settled first: a gateway file it cannot update
    // stops the run before anything is written.
    std::string gatewayText;
    if (!root.empty()) {
        summary.gatewayPath = base::JoinPath(root, release::kGatewayFileName);
        gatewayText = UpdateGatewayText(ReadExistingFile(summary.gatewayPath), options.gatewayKeys, summary.version);
    }

    // Written before the list that announces them.
    WriteBlockIndexes(plan, indexes);
    summary.blockIndexes = indexes.size();
    for (const auto& index : indexes) summary.seededIndexes += index.second.seeds > 0;
    summary.listPath = base::JoinPath(release, release::kListFileName);
    WriteList(summary.listPath, release::BuildListText(sections), options.includeList);
    summary.namesItself = options.includeList;
    for (const release::PublishedSection& section : sections) {
        summary.sections.emplace_back(section.name, section.entries.size());
        summary.fileCount += section.entries.size();
        for (const release::PublishedEntry& entry : section.entries) summary.totalBytes += entry.size;
    }

    // The signature covers the list exactly as written.
    if (key) {
        summary.signaturePath = base::JoinPath(release, release::kSignatureFileName);
        const SignedRelease signedRelease =
            SignRelease(*key, std::move(manifest), ReadExistingFile(summary.listPath), options.includeList,
                        options.serial, ReadExistingFile(summary.signaturePath));
        summary.serial = signedRelease.serial;
        WriteWhole(summary.signaturePath, chain.text + signedRelease.text);
    }

    // Written after the list, so the gateway never names a folder without one.
    if (!root.empty()) {
        WriteWhole(summary.gatewayPath, gatewayText);
    }
    return summary;
}

integrity::SignatureBlocks PublishedSignature(const std::string& releaseFolder) {
    const std::string path = base::JoinPath(releaseFolder, release::kSignatureFileName);
    const std::string text = ReadExistingFile(path);
    integrity::SignatureBlocks blocks;
    if (text.empty()) throw ReleaseListError(path + " does not exist: the release is not signed");
    if (integrity::ReadSignatureBlocks(text, blocks) != integrity::BlocksRead::kRead)
        throw ReleaseListError(path + " is not a release signature file");
    return blocks;
}

}  // namespace release_list
