// Linux: plain TCP, or TLS through OpenSSL with the system's CA store (or a CA file for
// a private CA). Verification is always on and the host name (or IP address) is checked.
#include "mqtt_link_common.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <chrono>

namespace {

class TlsLink : public MqttLink {
public:
    explicit TlsLink(std::string caFile) : caFile_(std::move(caFile)) {}
    ~TlsLink() override { Close(); }

    bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error) override
    {
        Close();
        if (!stream_.Open(host, port, milliseconds, error)) {
            return false;
        }
        context_ = SSL_CTX_new(TLS_client_method());
        if (context_ == nullptr) {
            return Fail({KelvixText::TlsCannotSetUp}, error);
        }
        SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
        SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
        const bool loaded = caFile_.empty() ? SSL_CTX_set_default_verify_paths(context_) == 1
                                            : SSL_CTX_load_verify_locations(context_, caFile_.c_str(), nullptr) == 1;
        if (!loaded) {
            return Fail(caFile_.empty() ? MqttOutcome{KelvixText::TlsSystemCasUnreadable}
                                        : MqttOutcome{KelvixText::TlsCaFileUnreadable, caFile_},
                        error);
        }
        ssl_ = SSL_new(context_);
        if (ssl_ == nullptr || SSL_set_fd(ssl_, stream_.Socket()) != 1) {
            return Fail({KelvixText::TlsCannotSetUp}, error);
        }
        X509_VERIFY_PARAM* check = SSL_get0_param(ssl_);
        const bool isAddress = X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str()) == 1;
        if (!isAddress) {
            SSL_set_tlsext_host_name(ssl_, host.c_str());
            X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            if (X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0) != 1) {
                return Fail({KelvixText::TlsCannotCheckName, host}, error);
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            const int done = SSL_connect(ssl_);
            if (done == 1) {
                return true;
            }
            const int reason = SSL_get_error(ssl_, done);
            const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  deadline - std::chrono::steady_clock::now()).count());
            if ((reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) || left <= 0 ||
                !stream_.Wait(reason == SSL_ERROR_WANT_WRITE, left)) {
                const long verified = SSL_get_verify_result(ssl_);
                if (verified != X509_V_OK) {
                    return Fail({KelvixText::TlsRefusedBecause, X509_verify_cert_error_string(verified)}, error);
                }
                return Fail({left <= 0 ? KelvixText::TlsTimedOut : KelvixText::TlsFailed}, error);
            }
        }
    }

    bool WriteAll(const char* data, std::size_t length, int milliseconds) override
    {
        std::size_t sent = 0;
        while (sent < length) {
            const int wrote = SSL_write(ssl_, data + sent, static_cast<int>(length - sent));
            if (wrote > 0) {
                sent += static_cast<std::size_t>(wrote);
                continue;
            }
            const int reason = SSL_get_error(ssl_, wrote);
            if ((reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) ||
                !stream_.Wait(reason == SSL_ERROR_WANT_WRITE, milliseconds)) {
                return false;
            }
        }
        return true;
    }

    StreamResult Read(char* buffer, int capacity, int& count, int milliseconds) override
    {
        count = 0;
        // Bytes already decrypted do not show on the socket.
        if (SSL_pending(ssl_) == 0 && !stream_.Wait(false, milliseconds)) {
            return StreamResult::WouldBlock;
        }
        const int got = SSL_read(ssl_, buffer, capacity);
        if (got > 0) {
            count = got;
            return StreamResult::Done;
        }
        switch (SSL_get_error(ssl_, got)) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            return StreamResult::WouldBlock;
        case SSL_ERROR_ZERO_RETURN:
            return StreamResult::Closed;
        default:
            return StreamResult::Failed;
        }
    }

    void Close() override
    {
        if (ssl_ != nullptr) {
            SSL_free(ssl_);
            ssl_ = nullptr;
        }
        if (context_ != nullptr) {
            SSL_CTX_free(context_);
            context_ = nullptr;
        }
        stream_.Close();
        ERR_clear_error();
    }

private:
    bool Fail(const MqttOutcome& what, MqttOutcome& error)
    {
        error = what;
        Close();
        return false;
    }

    std::string caFile_;
    TcpStream stream_;
    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
};

}  // namespace

std::unique_ptr<MqttLink> MakeMqttLink(const MqttSettings& settings, MqttOutcome& error)
{
    error = {};
    if (settings.tls) {
        return std::make_unique<TlsLink>(settings.caFile);
    }
    return std::make_unique<PlainLink>();
}
