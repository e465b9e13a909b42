// arkenfel_release_list (.exe on Windows): writes the update list of a release folder and,
// when asked, points the gateway file at it.
#include <string>

#include "base/ansi_text.h"
#include "tools/release_list/console_text.h"
#include "tools/release_list/publish_release.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/signing_key.h"
#include "tools/release_list/trust_commands.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintSummary(const release_list::PublishSummary& summary) {
    using release_list::PrintAnsi;
    PrintAnsi("wrote " + summary.listPath + ": " + std::to_string(summary.fileCount) + " files, " +
              std::to_string(summary.totalBytes) + " bytes");
    for (const auto& section : summary.sections)
        PrintAnsi(base::FormatText("  [%s] %u files", section.first.c_str(), static_cast<unsigned>(section.second)));
    if (summary.blockIndexes)
        PrintAnsi(base::FormatText("  %u of them with a block index (.blkidx)", static_cast<unsigned>(summary.blockIndexes)));
    if (summary.seededIndexes)
        PrintAnsi(base::FormatText("  %u of those indexes name files of the previous release to take blocks from",
                                   static_cast<unsigned>(summary.seededIndexes)));
    if (summary.namesItself) PrintAnsi("  and an entry for the list itself, at the end");
    if (!summary.signaturePath.empty())
        PrintAnsi("wrote " + summary.signaturePath + ": folder \"" + summary.signedFolder + "\", serial " +
                  std::to_string(summary.serial) +
                  (summary.keySerial ? ", release key serial " + std::to_string(summary.keySerial) : ", signed by a root") +
                  (summary.rootStatements ? ", " + std::to_string(summary.rootStatements) + " root statement(s)" : ""));
    if (!summary.gatewayPath.empty())
        PrintAnsi("wrote " + summary.gatewayPath + ": version folder \"" + summary.version + "\"");
}

// Runs one of the key commands; their errors leave nothing written.
template <typename Command>
int RunKeyCommand(const Command& command) {
    try {
        for (const std::string& line : command()) release_list::PrintAnsi(line);
        return 0;
    } catch (const release_list::ReleaseListError& error) {
        release_list::PrintAnsi(std::string("error: ") + error.what(), true);
        return kExitFailure;
    }
}

base::StringList MakeKey(const std::string& privateKey, const std::string& publicKey) {
    release_list::MakeKeyPair(privateKey, publicKey);
    return {"wrote " + privateKey + " (private key: keep it offline) and " + publicKey +
            " (public key: build the updater with it, or certify it as a release key)"};
}

// What a build made now should accept at the least (ARKENFEL_LOWEST_KEY_SERIAL,
// ARKENFEL_LOWEST_RELEASE_SERIAL).
base::StringList ShowSerial(const std::string& folder) {
    const integrity::SignatureBlocks blocks = release_list::PublishedSignature(folder);
    const integrity::ReleaseManifest& release = blocks.release.manifest;
    const unsigned keySerial = blocks.certified ? static_cast<unsigned>(blocks.certificate.keySerial) : 0u;
    return {base::FormatText("version folder \"%s\", release key serial %u%s, serial %u", release.folder.c_str(),
                             keySerial, blocks.certified ? "" : " (signed by a root)",
                             static_cast<unsigned>(release.serial))};
}

}  // namespace

int main(int argc, char** argv) {
    release_list::ReleaseOptions options;
    try {
        const base::StringList args = release_list::CommandLineArguments(argc, argv);
        std::string privateKey, publicKey;
        if (release_list::ParseMakeKey(args, privateKey, publicKey))
            return RunKeyCommand([&] { return MakeKey(privateKey, publicKey); });
        release_list::TrustCommand trust;
        if (release_list::ParseTrustCommand(args, trust))
            return RunKeyCommand([&] { return release_list::RunTrustCommand(trust); });
        std::string folder;
        if (release_list::ParseShowSerial(args, folder)) return RunKeyCommand([&] { return ShowSerial(folder); });
        if (!release_list::ParseArguments(args, options)) {
            release_list::PrintAnsi(release_list::UsageText());
            return 0;
        }
    } catch (const release_list::ReleaseListError& error) {
        release_list::PrintAnsi(std::string("error: ") + error.what(), true);
        release_list::PrintAnsi(release_list::UsageText(), true);
        return kExitUsage;
    }
    try {
        PrintSummary(release_list::PublishRelease(options));
        return 0;
    } catch (const release_list::ReleaseListError& error) {
        release_list::PrintAnsi(std::string("error: nothing was written.\n") + error.what(), true);
        return kExitFailure;
    }
}
