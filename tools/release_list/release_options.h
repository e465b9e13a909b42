// What the operator asks for on the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/split_string.h"

namespace release_list {

// "--section NAME=PATTERN", "--local REMOTE=PATH", "--revision PATTERN=TEXT".
struct NamedRule {
    std::string name;   // section name, remote name or pattern
    std::string value;  // pattern, local path or revision text
};

struct ReleaseOptions {
    std::string releaseFolder;
    std::vector<NamedRule> sections;  // section name = pattern, first match wins
    std::string defaultSection = "FILES";
    std::vector<NamedRule> localPaths;  // exact remote name = local path
    base::StringList systemPatterns;    // files that install into the system folder
    std::vector<NamedRule> revisions;   // pattern = revision text, first match wins
    bool includeList = false;           // the list names itself (see README)
    std::string gatewayRoot;            // empty: gateway.ini is not written
    base::StringList gatewayKeys;       // empty key: the plain line
    std::string signingKey;             // private key file; empty: the release is not signed
    uint32_t serial = 0;                // release serial; 0: taken from the clock
    std::string certificate;            // certificate of the signing key; empty: signed by a root
    base::StringList rootStatements;    // root statement files the signature carries
    base::StringList channels;          // gateway keys it is published for; empty: every channel
    uint64_t indexThreshold = 4 * 1024 * 1024;  // files this large or larger get a block index
    uint32_t blockSize = 64 * 1024;             // block size of those indexes
    std::string previousRelease;                // its version folder: indexes name seeds; empty: none
};

// A decimal option value from `lowest` to 4294967295. Throws ReleaseListError.
uint32_t ParseNumber(const std::string& option, const std::string& text, uint32_t lowest);

// The second command: "--make-key <private-key-file> <public-key-file>".
// True (and the two paths) when `args` is that command.
bool ParseMakeKey(const base::StringList& args, std::string& privateKey, std::string& publicKey);

// The third command: "--show-serial <version folder>". True (and the folder)
// when `args` is that command.
bool ParseShowSerial(const base::StringList& args, std::string& folder);

// Throws ReleaseListError on a usage mistake. `args` excludes the program
// name. Returns false when help was asked for.
bool ParseArguments(const base::StringList& args, ReleaseOptions& options);
std::string UsageText();

}  // namespace release_list
