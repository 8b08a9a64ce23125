#include "tls_verdict.h"

#include <cstdio>

namespace {

// Values from winerror.h and schannel.h; the same on every Windows.
constexpr std::uint32_t kSpProtTls12 = 0x00000400 | 0x00000800;
constexpr std::uint32_t kSpProtTls13 = 0x00001000 | 0x00002000;
constexpr std::uint32_t kSpProtBeforeTls12Client = 0x00000002 | 0x00000008 | 0x00000020 | 0x00000080 | 0x00000200;

struct Refusal {
    std::uint32_t code;
    const char* words;  // "%s" is the host
};

constexpr char kNotAccepted[] = "the broker's certificate was not accepted: ";

constexpr Refusal kRefusals[] = {
    {0x800B0109, "it is not signed by a CA this PC trusts"},
    {0x80090325, "it is not signed by a CA this PC trusts"},
    {0x800B010A, "it is not signed by a CA this PC trusts"},
    {0x800B010D, "it is signed by a test root this PC does not trust"},
    {0x800B010F, "it is not made out for %s"},
    {0x80090322, "it is not made out for %s"},
    {0x800B0101, "it has expired or is not valid yet"},
    {0x80090328, "it has expired or is not valid yet"},
    {0x800B0102, "its validity does not fit its CA's"},
    {0x800B0110, "it is not meant for a server"},
    {0x800B010C, "it was revoked"},
    {0x80092010, "it was revoked"},
    {0x80096004, "its signature is not valid"},
    {0x80096019, "its CA is not allowed to sign certificates"},
    {0x80090327, "it cannot be read"},
};

}  // namespace

std::string TlsRefusalText(std::uint32_t code, const std::string& host)
{
    for (const Refusal& refusal : kRefusals) {
        if (refusal.code == code) {
            char text[256];
            std::snprintf(text, sizeof text, refusal.words, host.c_str());
            return kNotAccepted + std::string(text);
        }
    }
    if (code == 0x80090331) {  // SEC_E_ALGORITHM_MISMATCH
        return "the broker offers no TLS 1.2 or later that this PC shares";
    }
    char text[96];
    std::snprintf(text, sizeof text, "the TLS handshake failed (error 0x%08lX)", static_cast<unsigned long>(code));
    return text;
}

bool TlsProtocolAcceptable(std::uint32_t protocol)
{
    return protocol != 0 && (protocol & ~(kSpProtTls12 | kSpProtTls13)) == 0;
}

std::uint32_t TlsDisabledProtocols()
{
    return kSpProtBeforeTls12Client;
}
