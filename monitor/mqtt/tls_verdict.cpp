#include "tls_verdict.h"

#include <cstdio>

namespace {

// Values from winerror.h and schannel.h; the same on every Windows.
constexpr std::uint32_t kSpProtTls12 = 0x00000400 | 0x00000800;
constexpr std::uint32_t kSpProtTls13 = 0x00001000 | 0x00002000;
constexpr std::uint32_t kSpProtBeforeTls12Client = 0x00000002 | 0x00000008 | 0x00000020 | 0x00000080 | 0x00000200;

struct Refusal {
    std::uint32_t code;
    KelvixText words;  // its %s, if any, is the host
};

constexpr Refusal kRefusals[] = {
    {0x800B0109, KelvixText::TlsUntrusted},          // CERT_E_UNTRUSTEDROOT
    {0x80090325, KelvixText::TlsUntrusted},          // SEC_E_UNTRUSTED_ROOT
    {0x800B010A, KelvixText::TlsUntrusted},          // CERT_E_CHAINING
    {0x800B010D, KelvixText::TlsUntrustedTestRoot},  // CERT_E_UNTRUSTEDTESTROOT
    {0x800B010F, KelvixText::TlsWrongName},          // CERT_E_CN_NO_MATCH
    {0x80090322, KelvixText::TlsWrongName},          // SEC_E_WRONG_PRINCIPAL
    {0x800B0101, KelvixText::TlsExpired},            // CERT_E_EXPIRED
    {0x80090328, KelvixText::TlsExpired},            // SEC_E_CERT_EXPIRED
    {0x800B0102, KelvixText::TlsValidityNesting},    // CERT_E_VALIDITYPERIODNESTING
    {0x800B0110, KelvixText::TlsNotForServer},       // CERT_E_WRONG_USAGE
    {0x800B010C, KelvixText::TlsRevoked},            // CERT_E_REVOKED
    {0x80092010, KelvixText::TlsRevoked},            // CRYPT_E_REVOKED
    {0x80096004, KelvixText::TlsBadSignature},       // TRUST_E_CERT_SIGNATURE
    {0x80096019, KelvixText::TlsCaCannotSign},       // TRUST_E_BASIC_CONSTRAINTS
    {0x80090327, KelvixText::TlsUnreadable},         // SEC_E_CERT_UNKNOWN
    {0x80090331, KelvixText::TlsNoSharedProtocol},   // SEC_E_ALGORITHM_MISMATCH
};

}  // namespace

MqttOutcome TlsRefusal(std::uint32_t code, const std::string& host)
{
    for (const Refusal& refusal : kRefusals) {
        if (refusal.code == code) {
            return {refusal.words, host};
        }
    }
    char number[16];
    std::snprintf(number, sizeof number, "%08lX", static_cast<unsigned long>(code));
    return {KelvixText::TlsFailedCode, number};
}

bool TlsProtocolAcceptable(std::uint32_t protocol)
{
    return protocol != 0 && (protocol & ~(kSpProtTls12 | kSpProtTls13)) == 0;
}

std::uint32_t TlsDisabledProtocols()
{
    return kSpProtBeforeTls12Client;
}
