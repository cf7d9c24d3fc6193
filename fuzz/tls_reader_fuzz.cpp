// The line reader over TLS: an in-process OpenSSL server sends lines in records of arbitrary sizes, and every raw
// receive of the client hands out an arbitrary number of the record bytes, so records arrive split, several in one
// receive, and right behind the handshake. The server ends with close-notify or by just closing between records.
// Properties: the client's lines are exactly the server's lines, then the read fails and the connection is over;
// the certificate (self-signed, trusted by its fingerprint) gives the same fingerprint the client computes.
#include <fuzzer/FuzzedDataProvider.h>

#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_expect.h"
#include "net/line_socket.h"
#include "net/sha256.h"

namespace {

struct ServerIdentity {
    SSL_CTX* context = nullptr;
    std::string fingerprint;
};

// A self-signed P-256 certificate, made once.
const ServerIdentity& identity() {
    static ServerIdentity made = [] {
        ServerIdentity result;
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* certificate = X509_new();
        X509_set_version(certificate, 2);
        ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
        X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
        X509_gmtime_adj(X509_getm_notAfter(certificate), 3600L * 24 * 365);
        X509_NAME* name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("fuzz"), -1, -1, 0);
        X509_set_issuer_name(certificate, name);
        X509_set_pubkey(certificate, key);
        X509_sign(certificate, key, EVP_sha256());
        unsigned char* der = nullptr;
        int length = i2d_X509(certificate, &der);
        result.fingerprint = net::sha256Hex(der, static_cast<std::size_t>(length));
        OPENSSL_free(der);
        result.context = SSL_CTX_new(TLS_server_method());
        SSL_CTX_set_min_proto_version(result.context, TLS1_2_VERSION);
        SSL_CTX_use_certificate(result.context, certificate);
        SSL_CTX_use_PrivateKey(result.context, key);
        X509_free(certificate);
        EVP_PKEY_free(key);
        return result;
    }();
    return made;
}

// The socket layer with the server behind it, driven from the client's own calls.
class InProcessServerIo : public net::SocketIo {
public:
    InProcessServerIo(FuzzedDataProvider& input, std::vector<std::string> lines, bool closeNotify)
        : input(input), lines(std::move(lines)), closeNotify(closeNotify) {
        ssl = SSL_new(identity().context);
        fromClient = BIO_new(BIO_s_mem());
        toClient = BIO_new(BIO_s_mem());
        SSL_set_bio(ssl, fromClient, toClient);
        SSL_set_accept_state(ssl);
        if (input.ConsumeBool()) {
            SSL_set_max_proto_version(ssl, TLS1_2_VERSION);
        }
    }
    ~InProcessServerIo() override {
        SSL_free(ssl);
    }

    bool startup() override {
        return true;
    }
    void cleanup() override {
    }
    net::SocketHandle openSocket(int, int, int) override {
        return 5;
    }
    int connectTo(net::SocketHandle, const net::PeerAddress&, int) override {
        return 0;
    }
    net::WaitResult waitReadable(net::SocketHandle, int) override {
        return net::WaitResult::Ready;
    }
    int receive(net::SocketHandle, char* buffer, int size, int) override {
        while (pending.empty()) {
            if (!produce()) {
                return 0;
            }
        }
        int most = std::min<int>(size, static_cast<int>(pending.size()));
        int count = input.ConsumeIntegralInRange<int>(1, most);
        std::copy(pending.begin(), pending.begin() + count, buffer);
        pending.erase(0, static_cast<std::size_t>(count));
        return count;
    }
    int send(net::SocketHandle, const char* data, int length, int) override {
        BIO_write(fromClient, data, length);
        return length;
    }
    int close(net::SocketHandle) override {
        return 0;
    }
    bool interrupt(net::SocketHandle) override {
        return false;
    }
    bool lookupHost(const char*, std::uint32_t& address) override {
        address = 0x0100007F;
        return true;
    }
    std::uint32_t parseDottedAddress(const char*) override {
        return 0x0100007F;
    }

private:
    // Lets the server take its next step; false when it has nothing more to say.
    bool produce() {
        if (!handshakeDone) {
            handshakeDone = SSL_do_handshake(ssl) == 1;
        } else if (next < lines.size()) {
            // The next lines in one record of a size the input chooses (OpenSSL cuts above 16 KB itself).
            std::string text;
            std::size_t wanted = input.ConsumeIntegralInRange<std::size_t>(1, 20000);
            while (next < lines.size() && text.size() < wanted) {
                text += lines[next++] + "\r\n";
            }
            SSL_write(ssl, text.data(), static_cast<int>(text.size()));
        } else if (!ended) {
            ended = true;
            if (closeNotify) {
                SSL_shutdown(ssl);
            }
        }
        bool progressed = false;
        char chunk[4096];
        int count;
        while ((count = BIO_read(toClient, chunk, sizeof chunk)) > 0) {
            pending.append(chunk, static_cast<std::size_t>(count));
            progressed = true;
        }
        return progressed || !ended;
    }

    FuzzedDataProvider& input;
    std::vector<std::string> lines;
    bool closeNotify;
    SSL* ssl = nullptr;
    BIO* fromClient = nullptr;
    BIO* toClient = nullptr;
    bool handshakeDone = false;
    std::size_t next = 0;
    bool ended = false;
    std::string pending;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<std::string> lines;
    int count = input.ConsumeIntegralInRange<int>(0, 40);
    for (int i = 0; i < count; ++i) {
        std::string line = input.ConsumeRandomLengthString(3000);
        // Line ends and zero bytes have rules of their own (the plain line reader's target covers them).
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == 0; }),
                   line.end());
        lines.push_back(line);
    }
    InProcessServerIo io(input, lines, input.ConsumeBool());
    net::LineSocket socket(net::kAfInet, io);
    FUZZ_EXPECT(socket.create(net::kSockStream, 0));
    FUZZ_EXPECT(socket.connect(0x0100007F, 995));
    net::TlsResult tls = socket.startTls("fuzz.example", identity().fingerprint);
    FUZZ_EXPECT(tls.status == net::TlsStatus::Ok);
    FUZZ_EXPECT(tls.fingerprint == identity().fingerprint);
    FUZZ_EXPECT(tls.problem == net::CertProblem::UnknownIssuer);
    std::string line;
    for (const std::string& expected : lines) {
        FUZZ_EXPECT(socket.readLine(line));
        FUZZ_EXPECT(line == expected);
    }
    FUZZ_EXPECT(!socket.readLine(line));
    FUZZ_EXPECT(line.empty());
    // Closed: a read after the end fails at once.
    FUZZ_EXPECT(!socket.readLine(line));
    return 0;
}
