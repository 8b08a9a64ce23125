// Linux: plain TCP, or TLS through OpenSSL with the system's CA store (or a CA file for
// a private CA). Verification is always on and the host name (or IP address) is checked.
// libssl is loaded when a link asks for TLS, so a kelvixd without a TLS broker never maps
// it (OpenSSL's headers give the functions' types; nothing links against it).
#include "mqtt_link_common.h"

#include <dlfcn.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <chrono>
#include <mutex>

#ifndef KV_LIBSSL
#define KV_LIBSSL "libssl.so.3"  // OpenSSL 3's soname
#endif

namespace {

// The OpenSSL functions the link calls, found in libssl (and through it libcrypto).
struct OpenSsl {
#define KV_SSL_FUNCTION(name) decltype(&::name) name = nullptr;
#define KV_SSL_FUNCTIONS                                                                                \
    KV_SSL_FUNCTION(TLS_client_method) KV_SSL_FUNCTION(SSL_CTX_new) KV_SSL_FUNCTION(SSL_CTX_free)       \
    KV_SSL_FUNCTION(SSL_CTX_ctrl) KV_SSL_FUNCTION(SSL_CTX_set_verify)                                   \
    KV_SSL_FUNCTION(SSL_CTX_set_default_verify_paths) KV_SSL_FUNCTION(SSL_CTX_load_verify_locations)    \
    KV_SSL_FUNCTION(SSL_new) KV_SSL_FUNCTION(SSL_free) KV_SSL_FUNCTION(SSL_set_fd)                      \
    KV_SSL_FUNCTION(SSL_get0_param) KV_SSL_FUNCTION(SSL_ctrl) KV_SSL_FUNCTION(SSL_connect)              \
    KV_SSL_FUNCTION(SSL_get_error) KV_SSL_FUNCTION(SSL_get_verify_result) KV_SSL_FUNCTION(SSL_write)    \
    KV_SSL_FUNCTION(SSL_read) KV_SSL_FUNCTION(SSL_pending) KV_SSL_FUNCTION(X509_VERIFY_PARAM_set1_ip_asc) \
    KV_SSL_FUNCTION(X509_VERIFY_PARAM_set_hostflags) KV_SSL_FUNCTION(X509_VERIFY_PARAM_set1_host)       \
    KV_SSL_FUNCTION(X509_verify_cert_error_string) KV_SSL_FUNCTION(ERR_clear_error)
    KV_SSL_FUNCTIONS
#undef KV_SSL_FUNCTION
};

std::once_flag g_sslTried;
OpenSsl g_ssl;
MqttOutcome g_sslMissing;

// Loads `library` once; null with `error` naming what is missing.
const OpenSsl* LoadOpenSsl(const char* library, MqttOutcome& error)
{
    std::call_once(g_sslTried, [library]() {
        void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = dlerror();
            g_sslMissing = {KelvixText::TlsLibraryMissing, library, why != nullptr ? why : "not found"};
            return;
        }
        OpenSsl found;
        const char* missing = nullptr;
#define KV_SSL_FUNCTION(name)                                                                 \
    found.name = reinterpret_cast<decltype(found.name)>(dlsym(handle, #name));                \
    if (found.name == nullptr && missing == nullptr) {                                        \
        missing = #name;                                                                      \
    }
        KV_SSL_FUNCTIONS
#undef KV_SSL_FUNCTION
        if (missing != nullptr) {
            g_sslMissing = {KelvixText::TlsLibraryMissing, library, std::string("no ") + missing};
            dlclose(handle);
            return;
        }
        g_ssl = found;  // the library stays loaded for the program's life
    });
    if (g_ssl.SSL_new == nullptr) {
        error = g_sslMissing;
        return nullptr;
    }
    return &g_ssl;
}

class TlsLink : public MqttLink {
public:
    TlsLink(const OpenSsl& ssl, std::string caFile) : openSsl_(ssl), caFile_(std::move(caFile)) {}
    ~TlsLink() override { Close(); }

    bool Open(const std::string& host, std::uint16_t port, int milliseconds, MqttOutcome& error) override
    {
        Close();
        if (!stream_.Open(host, port, milliseconds, error)) {
            return false;
        }
        context_ = openSsl_.SSL_CTX_new(openSsl_.TLS_client_method());
        if (context_ == nullptr) {
            return Fail({KelvixText::TlsCannotSetUp}, error);
        }
        openSsl_.SSL_CTX_ctrl(context_, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
        openSsl_.SSL_CTX_set_verify(context_, SSL_VERIFY_PEER, nullptr);
        const bool loaded = caFile_.empty() ? openSsl_.SSL_CTX_set_default_verify_paths(context_) == 1
                                            : openSsl_.SSL_CTX_load_verify_locations(context_, caFile_.c_str(), nullptr) == 1;
        if (!loaded) {
            return Fail(caFile_.empty() ? MqttOutcome{KelvixText::TlsSystemCasUnreadable}
                                        : MqttOutcome{KelvixText::TlsCaFileUnreadable, caFile_},
                        error);
        }
        ssl_ = openSsl_.SSL_new(context_);
        if (ssl_ == nullptr || openSsl_.SSL_set_fd(ssl_, stream_.Socket()) != 1) {
            return Fail({KelvixText::TlsCannotSetUp}, error);
        }
        X509_VERIFY_PARAM* check = openSsl_.SSL_get0_param(ssl_);
        const bool isAddress = openSsl_.X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str()) == 1;
        if (!isAddress) {
            openSsl_.SSL_ctrl(ssl_, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                              const_cast<char*>(host.c_str()));
            openSsl_.X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            if (openSsl_.X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0) != 1) {
                return Fail({KelvixText::TlsCannotCheckName, host}, error);
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            const int done = openSsl_.SSL_connect(ssl_);
            if (done == 1) {
                return true;
            }
            const int reason = openSsl_.SSL_get_error(ssl_, done);
            const int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  deadline - std::chrono::steady_clock::now()).count());
            if ((reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) || left <= 0 ||
                !stream_.Wait(reason == SSL_ERROR_WANT_WRITE, left)) {
                const long verified = openSsl_.SSL_get_verify_result(ssl_);
                if (verified != X509_V_OK) {
                    return Fail({KelvixText::TlsRefusedBecause, openSsl_.X509_verify_cert_error_string(verified)}, error);
                }
                return Fail({left <= 0 ? KelvixText::TlsTimedOut : KelvixText::TlsFailed}, error);
            }
        }
    }

    bool WriteAll(const char* data, std::size_t length, int milliseconds) override
    {
        std::size_t sent = 0;
        while (sent < length) {
            const int wrote = openSsl_.SSL_write(ssl_, data + sent, static_cast<int>(length - sent));
            if (wrote > 0) {
                sent += static_cast<std::size_t>(wrote);
                continue;
            }
            const int reason = openSsl_.SSL_get_error(ssl_, wrote);
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
        if (openSsl_.SSL_pending(ssl_) == 0 && !stream_.Wait(false, milliseconds)) {
            return StreamResult::WouldBlock;
        }
        const int got = openSsl_.SSL_read(ssl_, buffer, capacity);
        if (got > 0) {
            count = got;
            return StreamResult::Done;
        }
        switch (openSsl_.SSL_get_error(ssl_, got)) {
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
            openSsl_.SSL_free(ssl_);
            ssl_ = nullptr;
        }
        if (context_ != nullptr) {
            openSsl_.SSL_CTX_free(context_);
            context_ = nullptr;
        }
        stream_.Close();
        openSsl_.ERR_clear_error();
    }

private:
    bool Fail(const MqttOutcome& what, MqttOutcome& error)
    {
        error = what;
        Close();
        return false;
    }

    const OpenSsl& openSsl_;
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
        const OpenSsl* ssl = LoadOpenSsl(KV_LIBSSL, error);
        if (ssl == nullptr) {
            return nullptr;
        }
        return std::make_unique<TlsLink>(*ssl, settings.caFile);
    }
    return std::make_unique<PlainLink>();
}
