#pragma once

#include <memory>
#include <string>

// TLS between the line reader and the socket: the line socket hands its raw receive and send to a channel,
// which performs the handshake, checks the server's certificate and then carries the session's bytes
// encrypted. Schannel (SSPI) implements it on Windows, OpenSSL elsewhere; both offer TLS 1.2 and newer only.
namespace net {

// The socket under the channel. Both calls block (with the socket layer's time-outs) and fail when the
// socket is closed from another thread, which is how a stop reaches a handshake or a record in flight.
class TlsTransport {
public:
    virtual ~TlsTransport() = default;
    virtual int rawReceive(char* buffer, int size) = 0;     // count, 0 at end of stream, -1 on error
    virtual int rawSend(const char* data, int length) = 0;  // count or -1
};

// Why a certificate is not trusted, as the user is told.
enum class CertProblem {
    None,
    UnknownIssuer,  // no chain to a trusted root (self-signed, unknown or missing issuer)
    Expired,        // outside its validity period
    WrongName,      // not made out for the server name
    Invalid,        // any other fault of the chain (revoked, bad signature, wrong use)
};

enum class TlsStatus {
    Ok,               // encrypted, with a trusted certificate
    HandshakeFailed,  // no TLS session came about (or the connection broke during the handshake)
    Untrusted,        // a session came about, but the certificate failed its checks
};

struct TlsResult {
    TlsStatus status = TlsStatus::HandshakeFailed;
    CertProblem problem = CertProblem::None;
    std::string fingerprint;  // the server certificate's SHA-256 in lower-case hex, once it is known
};

class TlsChannel {
public:
    virtual ~TlsChannel() = default;

    // Runs the client handshake and checks the certificate against the system's trusted roots and
    // serverName. A certificate whose fingerprint equals trustedFingerprint (the one the user chose to
    // trust for this server, hex in any case) is accepted whatever its problem; any other is checked normally.
    virtual TlsResult handshake(const std::string& serverName, const std::string& trustedFingerprint) = 0;
    // Decrypted bytes, at most size: a count, 0 once the server ended the session (close-notify or the end
    // of the stream at a record boundary), -1 on any error (a broken or truncated record among them).
    virtual int receive(char* buffer, int size) = 0;
    // Encrypts and sends all of the data: length, or -1.
    virtual int send(const char* data, int length) = 0;
};

// This platform's channel over the transport (which must outlive it).
std::unique_ptr<TlsChannel> makeTlsChannel(TlsTransport& transport);

// Whether a checked certificate may be used: no problem, or exactly the certificate the user trusts.
bool certificateAccepted(CertProblem problem, const std::string& fingerprint, const std::string& trustedFingerprint);

// A literal IPv4 or IPv6 address rather than a host name (such names are not sent as the server name indication).
bool isAddressLiteral(const std::string& name);

}  // namespace net
