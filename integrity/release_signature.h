// The release signature file, "Arkenfel_Release.sig", published in the
// version folder beside the update list. CR LF lines of ASCII:
//
//   ARKENFEL RELEASE SIGNATURE 1
//   folder <version folder as the gateway names it>
//   serial <release serial, decimal 1..4294967295>
//   channel <gateway key>                       0..16 lines in byte order; "channel"
//                                               alone is the plain line (empty key)
//   list <SHA-256 of the exact bytes of Arkenfel_List.ini>
//   file <size> <SHA-256> <remote name>        one line per remote file, sorted by name
//   signature <RSA signature, hex, most significant byte first>
//
// Digests are 64 lower-case hex digits. The signature (PKCS #1 v1.5,
// SHA-256) covers every byte before the "signature" line, so the whole
// release - folder, serial, channels, list and every file - stands under one
// signature. A release without channel lines is meant for every channel.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "crypto/sha256.h"

namespace integrity {

constexpr size_t kMaxChannels = 16;

struct SignedFile {
    uint32_t size = 0;
    crypto::Sha256Digest sha256{};
};

struct ReleaseManifest {
    std::string folder;
    uint32_t serial = 0;
    std::set<std::string> channels;  // gateway keys it is published for; empty: every channel
    crypto::Sha256Digest listSha256{};
    std::map<std::string, SignedFile> files;  // by remote name
};

// The signed part of the file, every line ended by CR LF.
std::string ManifestText(const ReleaseManifest& manifest);
// The whole file: the signed part followed by the signature line.
std::string SignatureFileText(const std::string& manifestText, const std::vector<uint8_t>& signature);

struct SignatureFile {
    std::string signedText;          // the bytes the signature covers
    std::vector<uint8_t> signature;  // most significant byte first
    ReleaseManifest manifest;
};
// Strict reading: every line in its place, exact keywords, the "file"
// lines in ascending byte order of their names (so no name twice), nothing
// after the signature line. False when the text is not such a file.
bool ParseSignatureFile(const std::string& text, SignatureFile& file);

}  // namespace integrity
