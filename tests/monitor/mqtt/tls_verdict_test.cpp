#include "tls_verdict.h"

#include <gtest/gtest.h>

namespace {

// Schannel's answers (winerror.h values) and what the user is told, in both languages;
// the English words are the journal's and must not change. The host has a % in it: it is
// never read as a conversion.
TEST(TlsVerdictTest, EachRefusalIsSaidInWords)
{
    constexpr char kHost[] = "br%sok%n.lan";
    const struct {
        std::uint32_t code;
        KelvixText words;
        const char* english;
        const char* japanese;
    } cases[] = {
        {0x800B0109, KelvixText::TlsUntrusted,  // CERT_E_UNTRUSTEDROOT
         "the broker's certificate was not accepted: it is not signed by a CA this PC trusts",
         "ブローカーの証明書を受け付けませんでした: この PC が信頼する CA の署名がありません"},
        {0x80090325, KelvixText::TlsUntrusted,  // SEC_E_UNTRUSTED_ROOT
         "the broker's certificate was not accepted: it is not signed by a CA this PC trusts",
         "ブローカーの証明書を受け付けませんでした: この PC が信頼する CA の署名がありません"},
        {0x800B010A, KelvixText::TlsUntrusted, nullptr, nullptr},  // CERT_E_CHAINING
        {0x800B010D, KelvixText::TlsUntrustedTestRoot,  // CERT_E_UNTRUSTEDTESTROOT
         "the broker's certificate was not accepted: it is signed by a test root this PC does not trust",
         "ブローカーの証明書を受け付けませんでした: この PC が信頼しないテスト用ルートの署名です"},
        {0x800B010F, KelvixText::TlsWrongName,  // CERT_E_CN_NO_MATCH
         "the broker's certificate was not accepted: it is not made out for br%sok%n.lan",
         "ブローカーの証明書を受け付けませんでした: br%sok%n.lan 用の証明書ではありません"},
        {0x80090322, KelvixText::TlsWrongName, nullptr, nullptr},  // SEC_E_WRONG_PRINCIPAL
        {0x800B0101, KelvixText::TlsExpired,  // CERT_E_EXPIRED
         "the broker's certificate was not accepted: it has expired or is not valid yet",
         "ブローカーの証明書を受け付けませんでした: 有効期限が切れているか、まだ有効ではありません"},
        {0x80090328, KelvixText::TlsExpired, nullptr, nullptr},  // SEC_E_CERT_EXPIRED
        {0x800B0102, KelvixText::TlsValidityNesting,  // CERT_E_VALIDITYPERIODNESTING
         "the broker's certificate was not accepted: its validity does not fit its CA's",
         "ブローカーの証明書を受け付けませんでした: 有効期間が CA の有効期間に収まっていません"},
        {0x800B0110, KelvixText::TlsNotForServer,  // CERT_E_WRONG_USAGE
         "the broker's certificate was not accepted: it is not meant for a server",
         "ブローカーの証明書を受け付けませんでした: サーバー用の証明書ではありません"},
        {0x800B010C, KelvixText::TlsRevoked,  // CERT_E_REVOKED
         "the broker's certificate was not accepted: it was revoked",
         "ブローカーの証明書を受け付けませんでした: 失効しています"},
        {0x80092010, KelvixText::TlsRevoked, nullptr, nullptr},  // CRYPT_E_REVOKED
        {0x80096004, KelvixText::TlsBadSignature,  // TRUST_E_CERT_SIGNATURE
         "the broker's certificate was not accepted: its signature is not valid",
         "ブローカーの証明書を受け付けませんでした: 署名が正しくありません"},
        {0x80096019, KelvixText::TlsCaCannotSign,  // TRUST_E_BASIC_CONSTRAINTS
         "the broker's certificate was not accepted: its CA is not allowed to sign certificates",
         "ブローカーの証明書を受け付けませんでした: CA に証明書を署名する権限がありません"},
        {0x80090327, KelvixText::TlsUnreadable,  // SEC_E_CERT_UNKNOWN
         "the broker's certificate was not accepted: it cannot be read",
         "ブローカーの証明書を受け付けませんでした: 証明書を読み取れません"},
        {0x80090331, KelvixText::TlsNoSharedProtocol,  // SEC_E_ALGORITHM_MISMATCH
         "the broker offers no TLS 1.2 or later that this PC shares",
         "この PC で使える TLS 1.2 以降をブローカーが提供していません"},
        {0x80090326, KelvixText::TlsFailedCode,  // anything else, by number
         "the TLS handshake failed (error 0x80090326)", "TLS のハンドシェイクに失敗しました (エラー 0x80090326)"},
    };
    for (const auto& c : cases) {
        const MqttOutcome refusal = TlsRefusal(c.code, kHost);
        EXPECT_EQ(refusal.words, c.words) << std::hex << c.code;
        if (c.english != nullptr) {
            EXPECT_EQ(OutcomeText(refusal, Language::English), c.english) << std::hex << c.code;
            EXPECT_EQ(OutcomeText(refusal, Language::Japanese), c.japanese) << std::hex << c.code;
        }
    }
}

// The broker's CONNACK refusals, in the same way.
TEST(ConnAckRefusalTest, EachCodeIsSaidInWords)
{
    const struct {
        std::uint8_t code;
        const char* english;
        const char* japanese;
    } cases[] = {
        {1, "the broker refused: the broker does not speak MQTT 3.1.1",
         "ブローカーが拒否しました: MQTT 3.1.1 に対応していません"},
        {2, "the broker refused: client id rejected", "ブローカーが拒否しました: クライアント ID を受け付けません"},
        {3, "the broker refused: the broker is unavailable", "ブローカーが拒否しました: ブローカーが利用できません"},
        {4, "the broker refused: bad user name or password",
         "ブローカーが拒否しました: ユーザー名またはパスワードが違います"},
        {5, "the broker refused: not authorised", "ブローカーが拒否しました: 許可されていません"},
        {6, "the broker refused: unknown reason", "ブローカーが拒否しました: 理由は不明です"},
        {255, "the broker refused: unknown reason", "ブローカーが拒否しました: 理由は不明です"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OutcomeText(ConnAckRefusal(c.code), Language::English), c.english) << int(c.code);
        EXPECT_EQ(OutcomeText(ConnAckRefusal(c.code), Language::Japanese), c.japanese) << int(c.code);
    }
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
