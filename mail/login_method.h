#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/sasl_exchange.h"

// How the check logs in: the method the user chose (the Auth key) and what the server offers decide the login.
namespace mail {

enum class AuthMethod {
    FromApopKey,  // no Auth key: APOP when the APOP key says so, else USER/PASS, exactly as before it existed
    Auto,         // the strongest password login the server offers that keeps the password safe
    User,
    Apop,
    Plain,
    CramMd5,
    ScramSha256,
    OAuth2,  // an access token with XOAUTH2, or OAUTHBEARER where only that is offered
};

// The method the Auth key names ("" for none; any letter case), or nothing for a value no method has.
std::optional<AuthMethod> authMethodNamed(std::string_view text);
// The Auth key's value for the method ("" for FromApopKey).
const char* authMethodKeyValue(AuthMethod method);

struct LoginStyle {
    enum Kind { UserPass, Apop, Sasl } kind = UserPass;
    net::SaslMechanism mechanism = net::SaslMechanism::Plain;  // for Sasl
};

struct ServerLoginOffer {
    std::vector<std::string> saslMechanisms;  // CAPA's SASL line
    bool encrypted = false;                   // TLS protects the session
    bool apopTimestamp = false;               // the greeting allows APOP
};

// The login to use, or nothing when the server offers no login of the chosen kind: then no secret is sent. Auto
// never picks one that would send the password readable over a connection without TLS.
std::optional<LoginStyle> chooseLogin(AuthMethod method, bool apopKey, const ServerLoginOffer& offer);

}  // namespace mail
