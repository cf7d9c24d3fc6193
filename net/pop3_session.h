#pragma once

#include "net/capabilities.h"
#include "net/line_socket.h"
#include "net/sasl_exchange.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The POP3 command layer over the line socket: the greeting, one command and its single reply line at
// a time, the USER/PASS and APOP logins, and STAT.
namespace net {

// How an APOP login ended.
enum class ApopResult {
    LoggedIn,
    NoTimestamp,  // the greeting has no <timestamp> of RFC 1939's shape (visible ASCII with an '@')
    Refused,      // refused or failed, or the user name is unsafe to send
    OutOfMemory,
};

// How a SASL login (AUTH) ended.
enum class SaslResult {
    LoggedIn,
    Refused,  // the server refused, the exchange was cancelled, or the server failed to prove itself
    Broken,   // the connection failed or the server answered out of the protocol; it is closed
};

// How sending USER and PASS in one write went.
enum class LoginSend {
    Sent,
    UserUnfit,  // the user name cannot be sent as one command line: nothing was sent
    PassUnfit,  // the password cannot: nothing was sent
    Failed,     // the send failed (the socket is closed)
};

struct StatResult {
    int count;
    int size;
};

class Pop3Session : public LineSocket {
public:
    explicit Pop3Session(int family);
    Pop3Session(int family, SocketIo& io);
    ~Pop3Session() override;

    // Connects to the server (the socket must already be created) and reads the greeting. The result
    // is a view of the greeting, whatever it says, or nullptr when the connection failed. The greeting has the
    // time-out in total (see TotalLimit).
    const char* open(const char* server, int port);
    // Implicit TLS (a POP3S port): connects, runs the TLS handshake and then reads the greeting over it.
    // nullptr when the connection failed; otherwise `tls` tells how the handshake went, and unless it is Ok
    // the connection is closed again without a byte sent in clear (the result is then the empty text).
    // The handshake and the greeting have the time-out in total.
    const char* openTls(const char* server, int port, const std::string& trustedFingerprint, TlsResult& tls);
    // STLS on a session opened in clear: CAPA must list STLS and the server must accept the STLS command;
    // then the handshake runs and CAPA is asked again, as the server's capabilities may change under TLS.
    // `offered` is false when CAPA failed, did not list STLS or STLS was refused. Whenever the result is not
    // Ok, the connection is closed: nothing but CAPA and STLS has gone out in clear. CAPA, STLS and the
    // handshake have the time-out in total.
    TlsResult upgradeWithStls(const char* server, const std::string& trustedFingerprint, bool& offered);
    // CAPA and its list; nothing when the server refused or failed, ended the reply early or sent more than
    // kMaxCapabilityLines lines (then the connection is closed: the rest of the reply is unread). After an STLS
    // upgrade this is the list read under TLS, not asked again.
    std::optional<Capabilities> capabilities();

    // Sends one command line and reads the reply line: a view of it, or "-" when either step failed.
    const char* command(const char* text);

    // True when the reply to "USER name" / "PASS password" does not begin with '-'; false unsent for a
    // value that base::fitsOneLine refuses. The reply buffer is wiped after PASS (and after APOP).
    bool sendUser(const std::string& user);
    bool sendPass(const std::string& pass);
    // USER and PASS in one write, for a server that offers PIPELINING; their replies are then read in turn with
    // replyAccepted. The text holding the password is wiped once sent.
    LoginSend sendUserAndPass(const std::string& user, const std::string& pass);
    // Reads the reply to a command sent ahead: true unless it begins with '-' or none arrived.
    bool replyAccepted();
    // Wipes the last reply line (after a login).
    void wipeReply();

    // The message count and total size from STAT, or nothing when the reply lacks them.
    std::optional<StatResult> stat();
    // Whether the greeting carries a timestamp that APOP can use.
    bool greetingHasApopTimestamp() const;
    // The same from the reply to a STAT sent ahead.
    std::optional<StatResult> readStat();
    // APOP login over the timestamp of the greeting; call it right after open.
    ApopResult apop(const std::string& user, const std::string& pass);

    // AUTH with the exchange's mechanism (RFC 5034): the initial response on the AUTH line when the line stays
    // within 255 octets, else after the first empty challenge; each challenge answered until +OK or -ERR. A
    // challenge that is not Base64, is too long or that the exchange cannot answer is cancelled with "*".
    SaslResult authenticate(SaslExchange& exchange);

    // The lines of a multi-line reply up to the closing "." (not included), leading doubled dots undone;
    // nothing when a line could not be read or the reply holds more than maxLines lines. Either way the
    // connection is closed: the rest of the reply was not read, so no later reply could be read in step.
    std::optional<std::vector<std::string>> readMultiLine(std::size_t maxLines);
    // Sends text that holds one or more whole commands, each already ended by CR LF (PIPELINING); a failed
    // send closes the socket.
    bool sendCommands(const std::string& text);
    // Reads the reply line to a command sent by sendCommands: a view of it, or "-" when none arrived.
    const char* readReply();

private:
    bool sendFormatted(const char* keyword, const std::string& value);
    static std::optional<StatResult> statOf(const char* result);
    void keepGreeting();
    std::optional<Capabilities> askCapabilities();

    // The last line from the server: the greeting, then the latest reply.
    char reply[1024] = {};
    // The greeting of this connection, for APOP's timestamp.
    char greeting[1024] = {};
    // The CAPA reply read right after an STLS handshake, handed to the next capabilities call.
    std::optional<Capabilities> capabilitiesUnderTls;
    bool capabilitiesUnderTlsKnown = false;
};

}  // namespace net
