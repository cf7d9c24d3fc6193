#include "net/tls_channel.h"

#include "net/sha256.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <vector>

// OpenSSL over memory buffers: every byte to and from the server passes through the transport, so the
// socket layer's time-outs and stops apply to the handshake and to each record as they do to plain text.
namespace net {

namespace {

constexpr int kRawChunk = 16 * 1024 + 512;  // one whole record with its header fits

CertProblem problemOf(long verifyResult) {
    switch (verifyResult) {
        case X509_V_OK:
            return CertProblem::None;
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return CertProblem::Expired;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return CertProblem::WrongName;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_CERT_UNTRUSTED:
            return CertProblem::UnknownIssuer;
        default:
            return CertProblem::Invalid;
    }
}

// One client context for the whole run: loading the system's roots is the costly part of setting one up.
// The verdict on the certificate is read after the handshake, so that a failing certificate can be shown to the
// user instead of just ending the connection.
SSL_CTX* clientContext() {
    static SSL_CTX* const shared = [] {
        SSL_CTX* context = SSL_CTX_new(TLS_client_method());
        if (context == nullptr) {
            return context;
        }
        if (SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1) {
            SSL_CTX_free(context);
            return static_cast<SSL_CTX*>(nullptr);
        }
        // The system's roots (SSL_CERT_FILE / SSL_CERT_DIR where set).
        SSL_CTX_set_default_verify_paths(context);
        SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
        return context;
    }();
    return shared;
}

class OpenSslChannel : public TlsChannel {
public:
    explicit OpenSslChannel(TlsTransport& transport) : transport(transport), raw(kRawChunk) {
    }

    ~OpenSslChannel() override {
        if (ssl != nullptr) {
            SSL_free(ssl);  // frees both memory buffers too
        }
    }

    OpenSslChannel(const OpenSslChannel&) = delete;
    OpenSslChannel& operator=(const OpenSslChannel&) = delete;

    TlsResult handshake(const std::string& serverName, const std::string& trustedFingerprint) override {
        TlsResult result;
        if (!setUp(serverName)) {
            return result;
        }
        for (;;) {
            int done = SSL_do_handshake(ssl);
            if (!flush()) {
                return result;
            }
            if (done == 1) {
                break;
            }
            if (SSL_get_error(ssl, done) != SSL_ERROR_WANT_READ || pull() <= 0) {
                return result;
            }
        }
        X509* leaf = SSL_get0_peer_certificate(ssl);
        if (leaf == nullptr) {
            return result;
        }
        unsigned char* der = nullptr;
        int derLength = i2d_X509(leaf, &der);
        if (derLength <= 0) {
            return result;
        }
        result.fingerprint = sha256Hex(der, static_cast<std::size_t>(derLength));
        OPENSSL_free(der);
        result.problem = problemOf(SSL_get_verify_result(ssl));
        result.status = certificateAccepted(result.problem, result.fingerprint, trustedFingerprint)
                            ? TlsStatus::Ok
                            : TlsStatus::Untrusted;
        return result;
    }

    int receive(char* buffer, int size) override {
        for (;;) {
            int count = SSL_read(ssl, buffer, size);
            int error = count > 0 ? SSL_ERROR_NONE : SSL_get_error(ssl, count);
            // Reading may have produced records to answer (a key update, a renegotiation, close-notify).
            if (!flush()) {
                return -1;
            }
            if (count > 0) {
                return count;
            }
            if (error == SSL_ERROR_ZERO_RETURN) {
                return 0;
            }
            if (error != SSL_ERROR_WANT_READ) {
                return -1;
            }
            int pulled = pull();
            if (pulled <= 0) {
                // The stream ended or broke; in the middle of a record that is an error, between records the end.
                return pulled == 0 && BIO_ctrl_pending(incoming) == 0 && SSL_pending(ssl) == 0 ? 0 : -1;
            }
        }
    }

    int send(const char* data, int length) override {
        if (length <= 0) {
            return 0;
        }
        for (;;) {
            int written = SSL_write(ssl, data, length);
            if (!flush()) {
                return -1;
            }
            if (written > 0) {
                return written;
            }
            if (SSL_get_error(ssl, written) != SSL_ERROR_WANT_READ || pull() <= 0) {
                return -1;
            }
        }
    }

private:
    bool setUp(const std::string& serverName) {
        SSL_CTX* context = clientContext();
        if (context == nullptr) {
            return false;
        }
        ssl = SSL_new(context);
        if (ssl == nullptr) {
            return false;
        }
        incoming = BIO_new(BIO_s_mem());
        BIO* outgoing = BIO_new(BIO_s_mem());
        if (incoming == nullptr || outgoing == nullptr) {
            BIO_free(incoming);
            BIO_free(outgoing);
            incoming = nullptr;
            return false;
        }
        SSL_set_bio(ssl, incoming, outgoing);
        this->outgoing = outgoing;
        if (!isAddressLiteral(serverName)) {
            SSL_set_tlsext_host_name(ssl, serverName.c_str());
        }
        // Checks a name against the certificate's DNS names, an address against its IP entries.
        if (SSL_set1_host(ssl, serverName.c_str()) != 1) {
            return false;
        }
        SSL_set_connect_state(ssl);
        return true;
    }

    // Sends whatever the engine has written so far.
    bool flush() {
        while (BIO_ctrl_pending(outgoing) > 0) {
            int count = BIO_read(outgoing, raw.data(), static_cast<int>(raw.size()));
            for (int sent = 0; sent < count;) {
                int step = transport.rawSend(raw.data() + sent, count - sent);
                if (step <= 0) {
                    return false;
                }
                sent += step;
            }
        }
        return true;
    }

    // Feeds the engine with the next bytes from the server: their count, 0 at the end, -1 on error.
    int pull() {
        int count = transport.rawReceive(raw.data(), static_cast<int>(raw.size()));
        if (count > 0 && BIO_write(incoming, raw.data(), count) != count) {
            return -1;
        }
        return count;
    }

    TlsTransport& transport;
    std::vector<char> raw;
    SSL* ssl = nullptr;
    BIO* incoming = nullptr;
    BIO* outgoing = nullptr;
};

}  // namespace

std::unique_ptr<TlsChannel> makeTlsChannel(TlsTransport& transport) {
    return std::make_unique<OpenSslChannel>(transport);
}

}  // namespace net
