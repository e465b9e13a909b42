// Key files as the tool writes and reads them, the same on both platforms:
// a key pair goes only where no file is yet, and whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace release_list {

// Throws ReleaseListError when either file exists already.
void RefuseExistingKeyFiles(const std::string& privateKeyPath, const std::string& publicKeyPath);
// Writes both texts; when the second cannot be written, the first is removed
// again (half a key pair is of no use). Throws ReleaseListError.
void WriteKeyPairFiles(const std::string& privateKeyPath, const std::string& privateText,
                       const std::string& publicKeyPath, const std::string& publicText);
// The bytes of a key file. Throws ReleaseListError.
std::string ReadKeyFile(const std::string& path);
// The DER of the RSA private key in a PEM or DER key file. Throws ReleaseListError.
std::vector<uint8_t> ReadPrivateKeyDer(const std::string& path);

}  // namespace release_list
