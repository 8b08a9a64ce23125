// Windows: plain TCP, or TLS through Schannel over the same socket. The broker's
// certificate is checked against the system's trusted roots and its name against the
// host, every time: by Schannel during the handshake and again here by the SSL chain
// policy, so no Schannel setting or version can leave it unchecked.
#include "mqtt_link_common.h"
#include "tls_verdict.h"

#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS  // SCH_CREDENTIALS and TLS_PARAMETERS
#include <windows.h>
#include <subauth.h>
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Beyond the largest TLS record with its header and trailer: a peer that sends more
// without a whole record is not speaking TLS.
constexpr std::size_t kMaxPending = 64 * 1024;

std::wstring Widen(const std::string& text)
{
    std::wstring wide;
    for (const char c : text) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));  // host names are ASCII
    }
    return wide;
}

int MillisecondsLeft(Clock::time_point deadline)
{
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
}

class SchannelLink : public MqttLink {
public:
    ~SchannelLink() override { Close(); }

    bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error) override
    {
        Close();
        host_ = host;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        if (!stream_.Open(host, port, milliseconds, error)) {
            return false;
        }
        if (!AcquireCredentials()) {
            return Fail({KelvixText::TlsNoCredentials}, error);
        }
        if (!Handshake(deadline, error) || !CheckConnection(error)) {
            Close();
            return false;
        }
        return true;
    }

    bool WriteAll(const char* data, std::size_t length, int milliseconds) override
    {
        std::vector<char> record;
        while (length > 0) {
            const unsigned long chunk = static_cast<unsigned long>(std::min<std::size_t>(length, sizes_.cbMaximumMessage));
            record.assign(sizes_.cbHeader + chunk + sizes_.cbTrailer, 0);
            std::memcpy(record.data() + sizes_.cbHeader, data, chunk);
            SecBuffer buffers[4] = {
                {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                {chunk, SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + chunk},
                {0, SECBUFFER_EMPTY, nullptr},
            };
            SecBufferDesc message = {SECBUFFER_VERSION, 4, buffers};
            if (EncryptMessage(&context_, 0, &message, 0) != SEC_E_OK ||
                !stream_.WriteAll(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer,
                                  milliseconds)) {
                return false;
            }
            data += chunk;
            length -= chunk;
        }
        return true;
    }

    StreamResult Read(char* buffer, int capacity, int& count, int milliseconds) override
    {
        count = 0;
        for (;;) {
            if (!plain_.empty()) {
                count = static_cast<int>(std::min<std::size_t>(plain_.size(), static_cast<std::size_t>(capacity)));
                std::memcpy(buffer, plain_.data(), static_cast<std::size_t>(count));
                plain_.erase(plain_.begin(), plain_.begin() + count);
                return StreamResult::Done;
            }
            if (!pending_.empty()) {
                const StreamResult decrypted = Decrypt();
                if (decrypted == StreamResult::Done) {
                    continue;
                }
                if (decrypted != StreamResult::WouldBlock) {
                    return decrypted;
                }
            }
            // A whole record is missing: more bytes from the socket.
            const StreamResult received = Receive(milliseconds);
            if (received != StreamResult::Done) {
                return received;
            }
        }
    }

    void Close() override
    {
        if (haveContext_) {
            DeleteSecurityContext(&context_);
            haveContext_ = false;
        }
        if (haveCredentials_) {
            FreeCredentialsHandle(&credentials_);
            haveCredentials_ = false;
        }
        stream_.Close();
        pending_.clear();
        plain_.clear();
    }

private:
    bool AcquireCredentials()
    {
        // SCH_CREDENTIALS (Windows 10 1809 and later) allows TLS 1.3; older systems take
        // only SCHANNEL_CRED, then with TLS 1.2.
        TLS_PARAMETERS parameters{};
        parameters.grbitDisabledProtocols = TlsDisabledProtocols();
        SCH_CREDENTIALS modern{};
        modern.dwVersion = SCH_CREDENTIALS_VERSION;
        modern.dwFlags = SCH_CRED_AUTO_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
        modern.cTlsParameters = 1;
        modern.pTlsParameters = &parameters;
        wchar_t package[] = UNISP_NAME_W;
        if (AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &modern, nullptr, nullptr,
                                      &credentials_, nullptr) == SEC_E_OK) {
            haveCredentials_ = true;
            return true;
        }
        SCHANNEL_CRED older{};
        older.dwVersion = SCHANNEL_CRED_VERSION;
        older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        older.dwFlags = SCH_CRED_AUTO_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
        haveCredentials_ = AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &older,
                                                     nullptr, nullptr, &credentials_, nullptr) == SEC_E_OK;
        return haveCredentials_;
    }

    // Sends a token Schannel made for the broker and frees it.
    bool SendToken(SecBuffer& token)
    {
        bool sent = true;
        if (token.pvBuffer != nullptr) {
            sent = token.cbBuffer == 0 ||
                   stream_.WriteAll(static_cast<const char*>(token.pvBuffer), token.cbBuffer, 5000);
            FreeContextBuffer(token.pvBuffer);
            token.pvBuffer = nullptr;
        }
        return sent;
    }

    // One step of the handshake with what the broker sent so far (none at the start).
    SECURITY_STATUS Step(bool first)
    {
        constexpr unsigned long kWanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                          ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR;
        SecBuffer input[2] = {
            {static_cast<unsigned long>(pending_.size()), SECBUFFER_TOKEN, pending_.data()},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc inputs = {SECBUFFER_VERSION, 2, input};
        SecBuffer output[2] = {{0, SECBUFFER_TOKEN, nullptr}, {0, SECBUFFER_ALERT, nullptr}};
        SecBufferDesc outputs = {SECBUFFER_VERSION, 2, output};
        std::wstring target = Widen(host_);
        unsigned long attributes = 0;
        const SECURITY_STATUS status =
            InitializeSecurityContextW(&credentials_, first ? nullptr : &context_, &target[0], kWanted, 0, 0,
                                       first ? nullptr : &inputs, 0, first ? &context_ : nullptr, &outputs,
                                       &attributes, nullptr);
        if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) {
            haveContext_ = true;
        }
        if (output[1].pvBuffer != nullptr) {
            FreeContextBuffer(output[1].pvBuffer);
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            return status;  // the same bytes again with more behind them
        }
        // A token goes out also with some errors: the alert that tells the broker why.
        if (!SendToken(output[0]) && !FAILED(status)) {
            return SEC_E_INTERNAL_ERROR;
        }
        if (!first) {
            KeepExtra(input[1]);
        }
        return status;
    }

    // What followed the record Schannel took stays for the next call.
    void KeepExtra(const SecBuffer& extra)
    {
        if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= pending_.size()) {
            pending_.erase(pending_.begin(), pending_.end() - extra.cbBuffer);
        } else {
            pending_.clear();
        }
    }

    bool Handshake(Clock::time_point deadline, MqttOutcome& error)
    {
        SECURITY_STATUS status = Step(true);
        while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE) {
            if (pending_.empty() || status == SEC_E_INCOMPLETE_MESSAGE) {
                const int left = MillisecondsLeft(deadline);
                const StreamResult received = left > 0 ? Receive(left) : StreamResult::WouldBlock;
                if (received == StreamResult::WouldBlock) {
                    error = {KelvixText::TlsTimedOut};
                    return false;
                }
                if (received != StreamResult::Done) {
                    error = {KelvixText::TlsClosedInHandshake};
                    return false;
                }
            }
            status = Step(false);
        }
        if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
            error = {KelvixText::TlsClientCertificate};
            return false;
        }
        if (status != SEC_E_OK) {
            error = TlsRefusal(static_cast<std::uint32_t>(status), host_);
            return false;
        }
        return true;
    }

    // The finished connection: a protocol good enough, the certificate trusted and made
    // out for the host, and the record sizes for EncryptMessage.
    bool CheckConnection(MqttOutcome& error)
    {
        SecPkgContext_ConnectionInfo connection{};
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection) != SEC_E_OK ||
            !TlsProtocolAcceptable(connection.dwProtocol)) {
            error = {KelvixText::TlsTooOld};
            return false;
        }
        const std::uint32_t certificate = CheckCertificate();
        if (certificate != 0) {
            error = TlsRefusal(certificate, host_);
            return false;
        }
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK ||
            sizes_.cbMaximumMessage == 0) {
            error = {KelvixText::TlsNoRecordSizes};
            return false;
        }
        return true;
    }

    // 0 when the broker's certificate chains to a trusted root and names the host; else
    // the error of the SSL chain policy.
    std::uint32_t CheckCertificate()
    {
        PCCERT_CONTEXT certificate = nullptr;
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
            certificate == nullptr) {
            return static_cast<std::uint32_t>(SEC_E_CERT_UNKNOWN);
        }
        char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
        char* usages[] = {serverAuth};
        CERT_CHAIN_PARA chainPara{};
        chainPara.cbSize = sizeof chainPara;
        chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
        chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
        chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        std::uint32_t result = static_cast<std::uint32_t>(CERT_E_CHAINING);
        if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                    &chain)) {
            std::wstring name = Widen(host_);
            SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
            ssl.cbSize = sizeof ssl;
            ssl.dwAuthType = AUTHTYPE_SERVER;
            ssl.pwszServerName = &name[0];
            CERT_CHAIN_POLICY_PARA policy{};
            policy.cbSize = sizeof policy;
            policy.pvExtraPolicyPara = &ssl;
            CERT_CHAIN_POLICY_STATUS status{};
            status.cbSize = sizeof status;
            if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
                result = status.dwError;
            }
            CertFreeCertificateChain(chain);
        }
        CertFreeCertificateContext(certificate);
        return result;
    }

    StreamResult Receive(int milliseconds)
    {
        if (pending_.size() >= kMaxPending) {
            return StreamResult::Failed;
        }
        char chunk[8192];
        int count = 0;
        const StreamResult result = stream_.Read(chunk, sizeof chunk, count, milliseconds);
        if (result == StreamResult::Done) {
            pending_.insert(pending_.end(), chunk, chunk + count);
        }
        return result;
    }

    // Done when a record was taken (its data, if any, in plain_), WouldBlock when the
    // record is not whole yet, Closed or Failed.
    StreamResult Decrypt()
    {
        SecBuffer buffers[4] = {
            {static_cast<unsigned long>(pending_.size()), SECBUFFER_DATA, pending_.data()},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc message = {SECBUFFER_VERSION, 4, buffers};
        const SECURITY_STATUS status = DecryptMessage(&context_, &message, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            return StreamResult::WouldBlock;
        }
        if (status == SEC_I_CONTEXT_EXPIRED) {
            return StreamResult::Closed;  // the broker's close_notify
        }
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
            return StreamResult::Failed;
        }
        const SecBuffer* extra = nullptr;
        for (const SecBuffer& buffer : buffers) {
            if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0) {
                const char* begin = static_cast<const char*>(buffer.pvBuffer);
                plain_.insert(plain_.end(), begin, begin + buffer.cbBuffer);
            } else if (buffer.BufferType == SECBUFFER_EXTRA) {
                extra = &buffer;
            }
        }
        if (extra != nullptr) {
            KeepExtra(*extra);
        } else {
            pending_.clear();
        }
        if (status == SEC_I_RENEGOTIATE) {
            // TLS 1.3 messages after the handshake (new session tickets): back to
            // InitializeSecurityContext with what follows.
            const SECURITY_STATUS again = Step(false);
            if (again != SEC_E_OK && again != SEC_I_CONTINUE_NEEDED && again != SEC_E_INCOMPLETE_MESSAGE) {
                return StreamResult::Failed;
            }
        }
        return StreamResult::Done;
    }

    bool Fail(const MqttOutcome& what, MqttOutcome& error)
    {
        error = what;
        Close();
        return false;
    }

    std::string host_;
    TcpStream stream_;
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveCredentials_ = false;
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::vector<char> pending_;  // bytes from the broker not yet taken by Schannel
    std::vector<char> plain_;    // decrypted bytes not yet read
};

}  // namespace

std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, MqttOutcome& error)
{
    error = {};
    if (!settings.tls) {
        return std::make_unique<PlainLink>();
    }
    if (!settings.caFile.empty()) {
        error = {KelvixText::MqttCaFileOnWindows};
        return nullptr;
    }
    return std::make_unique<SchannelLink>();
}
