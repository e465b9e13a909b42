// PEM key text read without the platform: what openssl writes, and what no
// key file is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/key_text.h"

namespace {

std::vector<uint8_t> Decoded(const std::string& file, const char* label = crypto::kPublicKeyLabel) {
    std::vector<uint8_t> der;
    return crypto::DecodeKeyText(file, label, der) ? der : std::vector<uint8_t>{0xEE};
}

TEST(KeyText, PemAsOpensslWritesItAndNothingElse) {
    // "0\x82\x01\x22" + "ab": every padding length, lines of any width, CR LF.
    const std::vector<uint8_t> bytes{0x30, 0x82, 0x01, 0x22, 'a', 'b'};
    EXPECT_EQ(bytes, Decoded("-----BEGIN PUBLIC KEY-----\nMIIBImFi\n-----END PUBLIC KEY-----\n"));
    EXPECT_EQ(bytes, Decoded("x\r\n-----BEGIN PUBLIC KEY-----\r\nMIIB\r\nImFi\r\n-----END PUBLIC KEY-----"));
    EXPECT_EQ(std::vector<uint8_t>({0x30, 0x82, 0x01, 0x22, 'a'}),
              Decoded("-----BEGIN PUBLIC KEY-----\nMIIBImE=\n-----END PUBLIC KEY-----\n"));
    EXPECT_EQ(std::vector<uint8_t>({0x30, 0x82, 0x01, 0x22}),
              Decoded("-----BEGIN PUBLIC KEY-----\nMIIBIg==\n-----END PUBLIC KEY-----\n"));
    EXPECT_EQ(bytes, Decoded(std::string(bytes.begin(), bytes.end())));  // DER as it is

    const std::vector<uint8_t> none{0xEE};
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\nMIIBImFi\n"));                           // no end
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\nMIIB*mFi\n-----END PUBLIC KEY-----"));     // not base64
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\nMI=BImFi\n-----END PUBLIC KEY-----"));     // inner padding
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\nMIIBImF\n-----END PUBLIC KEY-----"));      // cut
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\n\n-----END PUBLIC KEY-----"));             // empty
    EXPECT_EQ(none, Decoded("-----BEGIN PUBLIC KEY-----\nMIIBImFi\n-----END PUBLIC KEY-----", crypto::kPrivateKeyLabel));
    EXPECT_EQ(none, Decoded("-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n"
                            "-----BEGIN PUBLIC KEY-----\nMIIBImFi\n-----END PUBLIC KEY-----"));  // not the first block
}

}  // namespace
