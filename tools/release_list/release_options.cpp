#include "tools/release_list/release_options.h"

#include <cstdlib>

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "tools/release_list/console_text.h"
#include "tools/release_list/release_error.h"

namespace release_list {
namespace {

NamedRule SplitRule(const std::string& option, const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw ReleaseListError(option + " needs a value of the form A=B, got \"" + text + "\"");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

uint64_t ParseCount(const std::string& option, const std::string& text, uint64_t largest) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] < '0' || text[0] > '9' || value > largest)
        throw ReleaseListError(option + " needs a number of bytes up to " + std::to_string(largest) + ", got \"" +
                               text + "\"");
    return value;
}

}  // namespace

uint32_t ParseNumber(const std::string& option, const std::string& text, uint32_t lowest) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] < '0' || text[0] > '9' || value < lowest || value > 0xFFFFFFFFull)
        throw ReleaseListError(option + " needs a number from " + std::to_string(lowest) + " to 4294967295, got \"" +
                               text + "\"");
    return static_cast<uint32_t>(value);
}

bool ParseMakeKey(const base::StringList& args, std::string& privateKey, std::string& publicKey) {
    if (args.empty() || args[0] != "--make-key") return false;
    if (args.size() != 3) throw ReleaseListError("--make-key needs exactly two file names: <private-key-file> <public-key-file>");
    privateKey = args[1];
    publicKey = args[2];
    return true;
}

bool ParseShowSerial(const base::StringList& args, std::string& folder) {
    if (args.empty() || args[0] != "--show-serial") return false;
    if (args.size() != 2) throw ReleaseListError("--show-serial needs exactly one version folder");
    folder = args[1];
    return true;
}

namespace {

const char kUsage[] =
           "usage: arkenfel_release_list.exe --release <folder> [options]\n"
           "\n"
           "Writes Arkenfel_List.ini into the release folder, listing every file below it.\n"
           "\n"
           "  --release <folder>          the version folder to publish (required)\n"
           "  --section <name>=<pattern>  put matching files into section <name>; first rule wins\n"
           "  --default-section <name>    section of files no rule matches (default FILES)\n"
           "  --local <remote>=<path>     install file <remote> as <path> below the install folder\n"
           "  --system <pattern>          install matching files into the Windows system folder\n"
           "  --revision <pattern>=<text> give matching files a revision text; first rule wins\n"
           "  --include-list              let the list name itself, so the updater keeps it as its\n"
           "                              local list\n"
           "  --gateway <server-root>     also point <server-root>\\gateway.ini at this release\n"
           "                              (the release folder must be below <server-root>)\n"
           "  --key <key>                 gateway key to set (repeatable; \"\" is the plain line,\n"
           "                              which is the default)\n"
           "  --sign <private-key-file>   sign the release: write Arkenfel_Release.sig beside the list\n"
           "  --serial <number>           release serial for the signature (1..4294967295; default:\n"
           "                              seconds since 1970, UTC); must grow from release to release\n"
           "  --certificate <file>        the certificate of the --sign key (from --certify): the\n"
           "                              release is signed by a certified release key\n"
           "  --root-statement <file>     a root statement (from --rotate-roots) to carry, so that\n"
           "                              updaters follow the roots to their successors (repeatable)\n"
           "  --channel <key>             publish the release for this gateway key only (repeatable;\n"
           "                              \"\" is the plain line); without it: for every channel\n"
           "  --index-threshold <bytes>   write a block index <file>.blkidx for every file of at\n"
           "                              least this size (default 4194304; 0: none), so that\n"
           "                              updaters fetch only the changed blocks\n"
           "  --block-size <bytes>        block size of those indexes (512..16777216; default 65536)\n"
           "  --previous <folder>         the previous release's version folder: each index names\n"
           "                              the files of that release that hold some of its blocks\n"
           "                              (seeds), so that moved, renamed, split or merged files\n"
           "                              cost updaters only their new bytes\n"
           "  --help                      show this text\n"
           "\n"
           "       arkenfel_release_list.exe --make-key <private-key-file> <public-key-file>\n"
           "\n"
           "Makes a new 3072-bit RSA key pair, a root key or a release key (PEM files, as\n"
           "openssl writes them). Existing files are never overwritten.\n"
           "\n"
           "       arkenfel_release_list.exe --certify <certificate-file> --release-key <public-key-file>\n"
           "           --key-serial <number> --root <root-private-key-file> [--root ...]\n"
           "\n"
           "Certifies a release key with a key serial (a higher serial revokes every lower one),\n"
           "signed by each --root; run it again on the same file to add more roots' signatures.\n"
           "\n"
           "       arkenfel_release_list.exe --rotate-roots <statement-file> --root-version <number>\n"
           "           --threshold <k> --new-root <public-key-file> [--new-root ...]\n"
           "           --root <private-key-file> [--root ...]\n"
           "\n"
           "Names the roots' successors: signed by k current roots and k of the new ones (each\n"
           "--root; run it again on the same file to add signatures).\n"
           "\n"
           "       arkenfel_release_list.exe --show-serial <version folder>\n"
           "\n"
           "Prints the serial of the release signed in that folder: the lowest serial to build\n"
           "the next updater with (CMake ARKENFEL_LOWEST_RELEASE_SERIAL).\n"
           "\n"
           "Patterns: '*' and '?' stay within one folder; a pattern without '/' matches file\n"
           "names in any folder; 'folder/' (or a folder name) matches everything below it.\n"
           "Exit code 0 on success, 1 on any error (nothing is written then), 2 on bad usage.\n";

}  // namespace

// The text names the program and the server root's file as the platform does.
std::string UsageText() {
    return base::ReplaceAll(base::ReplaceAll(kUsage, "arkenfel_release_list.exe", ProgramName()),
                            "<server-root>\\gateway.ini", std::string("<server-root>") + base::kPathSeparator + "gateway.ini");
}

bool ParseArguments(const base::StringList& args, ReleaseOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h" || option == "/?") return false;
        if (option == "--include-list") {
            options.includeList = true;
            continue;
        }
        if (i + 1 >= args.size()) throw ReleaseListError("unknown option or missing value: " + option);
        const std::string& value = args[++i];
        if (option == "--release") {
            options.releaseFolder = value;
        } else if (option == "--section") {
            options.sections.push_back(SplitRule(option, value));
        } else if (option == "--default-section") {
            options.defaultSection = value;
        } else if (option == "--local") {
            options.localPaths.push_back(SplitRule(option, value));
        } else if (option == "--system") {
            options.systemPatterns.push_back(value);
        } else if (option == "--revision") {
            options.revisions.push_back(SplitRule(option, value));
        } else if (option == "--gateway") {
            options.gatewayRoot = value;
        } else if (option == "--key") {
            options.gatewayKeys.push_back(value);
        } else if (option == "--sign") {
            options.signingKey = value;
        } else if (option == "--serial") {
            options.serial = ParseNumber(option, value, 1);
        } else if (option == "--certificate") {
            options.certificate = value;
        } else if (option == "--root-statement") {
            options.rootStatements.push_back(value);
        } else if (option == "--channel") {
            options.channels.push_back(value);
        } else if (option == "--index-threshold") {
            options.indexThreshold = ParseCount(option, value, 0xFFFFFFFFull);
        } else if (option == "--block-size") {
            options.blockSize = static_cast<uint32_t>(ParseCount(option, value, 16 * 1024 * 1024));
            if (options.blockSize < 512) throw ReleaseListError("--block-size needs at least 512 bytes");
        } else if (option == "--previous") {
            options.previousRelease = value;
        } else {
            throw ReleaseListError("unknown option: " + option);
        }
    }
    if (options.releaseFolder.empty()) throw ReleaseListError("--release <folder> is required");
    if (!options.previousRelease.empty() && options.indexThreshold == 0)
        throw ReleaseListError("--previous names seeds in block indexes, and --index-threshold 0 writes none");
    if (!options.gatewayKeys.empty() && options.gatewayRoot.empty())
        throw ReleaseListError("--key needs --gateway");
    if (options.signingKey.empty() && (options.serial != 0 || !options.certificate.empty() ||
                                       !options.rootStatements.empty() || !options.channels.empty()))
        throw ReleaseListError("--serial, --certificate, --root-statement and --channel need --sign");
    if (options.gatewayKeys.empty()) options.gatewayKeys.push_back(std::string());
    return true;
}

}  // namespace release_list
