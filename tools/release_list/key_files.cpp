#include "tools/release_list/key_files.h"

#include "base/file_system.h"
#include "crypto/key_text.h"
#include "tools/release_list/release_error.h"

namespace release_list {
namespace {

void WriteKeyFile(const std::string& path, const std::string& text) {
    switch (base::WriteFreshFile(path, text)) {
    case base::WriteResult::kWritten:
        return;
    case base::WriteResult::kNotCreated:
        throw ReleaseListError("cannot create " + path + " (an existing key file is never overwritten): " +
                               base::LastFileErrorText());
    case base::WriteResult::kNotWritten:
        throw ReleaseListError("cannot write " + path + ": " + base::LastFileErrorText());
    }
}

}  // namespace

void RefuseExistingKeyFiles(const std::string& privateKeyPath, const std::string& publicKeyPath) {
    for (const std::string& path : {privateKeyPath, publicKeyPath})
        if (base::PathExists(path)) throw ReleaseListError(path + " exists already; an existing key file is never overwritten");
}

void WriteKeyPairFiles(const std::string& privateKeyPath, const std::string& privateText,
                       const std::string& publicKeyPath, const std::string& publicText) {
    WriteKeyFile(privateKeyPath, privateText);
    try {
        WriteKeyFile(publicKeyPath, publicText);
    } catch (const ReleaseListError&) {
        base::DeleteIfPresent(privateKeyPath);
        throw;
    }
}

std::string ReadKeyFile(const std::string& path) {
    std::string bytes;
    if (!base::ReadWholeFile(path, bytes))
        throw ReleaseListError("cannot read the key file " + path + ": " + base::LastFileErrorText());
    return bytes;
}

std::vector<uint8_t> ReadPrivateKeyDer(const std::string& path) {
    std::vector<uint8_t> der;
    if (!crypto::DecodeKeyText(ReadKeyFile(path), crypto::kPrivateKeyLabel, der))
        throw ReleaseListError("the key file " + path + " is not an RSA private key (PEM \"RSA PRIVATE KEY\" or DER)");
    return der;
}

}  // namespace release_list
