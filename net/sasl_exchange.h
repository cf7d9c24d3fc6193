#pragma once

#include <optional>
#include <string>
#include <string_view>

// The client's side of one SASL exchange (RFC 4422) for POP3's AUTH: what to send first, and the answer to each
// challenge. Challenges and responses here are the decoded bytes; the session carries them in Base64.
namespace net {

enum class SaslMechanism {
    Plain,        // RFC 4616
    Login,        // the widespread pre-standard one: user name, then password
    CramMd5,      // RFC 2195
    ScramSha256,  // RFC 5802, RFC 7677: the server proves it knows the password too
    XOAuth2,      // Google's and Microsoft's bearer token form
    OAuthBearer,  // RFC 7628
};

// The name AUTH and CAPA's SASL line use.
const char* saslName(SaslMechanism mechanism);
// The mechanism of that name (any letter case), or nothing for one this program does not speak.
std::optional<SaslMechanism> saslMechanismNamed(std::string_view name);

struct SaslCredentials {
    std::string user;
    std::string secret;  // the password, or for the OAuth mechanisms the access token
    std::string host;    // the server's name and port, which OAUTHBEARER tells the server
    int port = 0;
};

class SaslExchange {
public:
    // `clientNonce` is SCRAM's random part (printable, no ','); the other mechanisms ignore it. The exchange
    // keeps copies of the secrets and wipes them when it ends.
    SaslExchange(SaslMechanism mechanism, const SaslCredentials& credentials, std::string clientNonce);
    ~SaslExchange();
    SaslExchange(const SaslExchange&) = delete;
    SaslExchange& operator=(const SaslExchange&) = delete;

    SaslMechanism mechanism() const {
        return mechanism_;
    }
    // What the client says first, for the mechanisms that speak first (may be empty), else nothing.
    std::optional<std::string> initialResponse();
    // The answer to a challenge; nothing means the exchange must be cancelled ("*"): the challenge is not one
    // this mechanism can take at this point, or the server failed to prove itself.
    std::optional<std::string> respond(std::string_view challenge);
    // Whether a success reply may be believed now: for SCRAM only after the server's signature was checked.
    bool successAllowed() const;
    // Whether the server has said the login failed (an error challenge of the OAuth mechanisms, SCRAM's "e=").
    bool failed() const {
        return failed_;
    }

private:
    std::optional<std::string> scramFinal(std::string_view serverFirst);
    bool scramVerify(std::string_view serverFinal);

    SaslMechanism mechanism_;
    SaslCredentials credentials_;
    std::string nonce_;
    int step_ = 0;
    bool failed_ = false;
    bool serverVerified_ = false;
    std::string authMessage_;      // SCRAM: what both signatures are computed over
    std::string serverSignature_;  // SCRAM: what the server must send back
};

// The most iterations SCRAM will compute for a server: enough for any sane setting, not a way to keep the
// client busy for minutes.
constexpr unsigned kMaxScramIterations = 1000000;

}  // namespace net
