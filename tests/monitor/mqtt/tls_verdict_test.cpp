#include "tls_verdict.h"

#include <gtest/gtest.h>

namespace {

// Schannel's answers (winerror.h values) and what the user is told.
TEST(TlsVerdictTest, EachRefusalIsSaidInWords)
{
    const struct {
        std::uint32_t code;
        const char* words;
    } cases[] = {
        {0x800B0109, "not signed by a CA this PC trusts"},        // CERT_E_UNTRUSTEDROOT
        {0x80090325, "not signed by a CA this PC trusts"},        // SEC_E_UNTRUSTED_ROOT
        {0x800B010A, "not signed by a CA this PC trusts"},        // CERT_E_CHAINING
        {0x800B010F, "not made out for broker.lan"},              // CERT_E_CN_NO_MATCH
        {0x80090322, "not made out for broker.lan"},              // SEC_E_WRONG_PRINCIPAL
        {0x800B0101, "expired"},                                  // CERT_E_EXPIRED
        {0x80092010, "revoked"},                                  // CRYPT_E_REVOKED
        {0x800B0110, "not meant for a server"},                   // CERT_E_WRONG_USAGE
        {0x80090331, "no TLS 1.2 or later"},                      // SEC_E_ALGORITHM_MISMATCH
        {0x80090326, "TLS handshake failed (error 0x80090326)"},  // anything else, by number
    };
    for (const auto& c : cases) {
        const std::string text = TlsRefusalText(c.code, "broker.lan");
        EXPECT_NE(text.find(c.words), std::string::npos) << std::hex << c.code << ": " << text;
        EXPECT_EQ(text.find("%s"), std::string::npos) << text;
    }
    EXPECT_EQ(TlsRefusalText(0x800B0109, "h").rfind("the broker's certificate was not accepted: ", 0), 0u);
}

TEST(TlsVerdictTest, OnlyTls12AndLaterAreGoodEnough)
{
    EXPECT_TRUE(TlsProtocolAcceptable(0x00000800));   // TLS 1.2 client
    EXPECT_TRUE(TlsProtocolAcceptable(0x00002000));   // TLS 1.3 client
    EXPECT_FALSE(TlsProtocolAcceptable(0x00000200));  // TLS 1.1
    EXPECT_FALSE(TlsProtocolAcceptable(0x00000080));  // TLS 1.0
    EXPECT_FALSE(TlsProtocolAcceptable(0x00000020));  // SSL 3
    EXPECT_FALSE(TlsProtocolAcceptable(0));           // nothing said
    // Whatever is turned off is what is not acceptable.
    for (std::uint32_t bit = 1; bit != 0x00004000; bit <<= 1) {
        if ((TlsDisabledProtocols() & bit) != 0) {
            EXPECT_FALSE(TlsProtocolAcceptable(bit)) << bit;
        }
    }
    EXPECT_FALSE(TlsDisabledProtocols() & 0x00000800);
}

}  // namespace
