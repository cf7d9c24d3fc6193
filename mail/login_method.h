#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/auth_method.h"
#include "net/sasl_exchange.h"

// How the check logs in: the method the user chose (the Auth key) and what the server offers decide the login.
namespace mail {

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
