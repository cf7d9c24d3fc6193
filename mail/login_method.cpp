#include "mail/login_method.h"

#include "base/ascii.h"

namespace mail {

namespace {

struct NamedMethod {
    AuthMethod method;
    const char* keyValue;
};

constexpr NamedMethod kMethods[] = {
    {AuthMethod::FromApopKey, ""},
    {AuthMethod::Auto, "auto"},
    {AuthMethod::User, "user"},
    {AuthMethod::Apop, "apop"},
    {AuthMethod::Plain, "plain"},
    {AuthMethod::CramMd5, "cram-md5"},
    {AuthMethod::ScramSha256, "scram-sha-256"},
    {AuthMethod::OAuth2, "oauth2"},
};

bool offers(const ServerLoginOffer& offer, net::SaslMechanism mechanism) {
    for (const std::string& name : offer.saslMechanisms) {
        if (net::saslMechanismNamed(name) == mechanism) {
            return true;
        }
    }
    return false;
}

std::optional<LoginStyle> sasl(const ServerLoginOffer& offer, net::SaslMechanism mechanism) {
    if (!offers(offer, mechanism)) {
        return std::nullopt;
    }
    return LoginStyle{LoginStyle::Sasl, mechanism};
}

}  // namespace

std::optional<AuthMethod> authMethodNamed(std::string_view text) {
    const std::string_view trimmed = base::trim(text);
    for (const NamedMethod& named : kMethods) {
        if (base::equalsNoCase(trimmed, named.keyValue)) {
            return named.method;
        }
    }
    return std::nullopt;
}

AuthMethod authMethodOfKey(std::string_view text) {
    return authMethodNamed(text).value_or(AuthMethod::Unknown);
}

const char* authMethodKeyValue(AuthMethod method) {
    for (const NamedMethod& named : kMethods) {
        if (named.method == method) {
            return named.keyValue;
        }
    }
    return "";
}

std::optional<LoginStyle> chooseLogin(AuthMethod method, bool apopKey, const ServerLoginOffer& offer) {
    switch (method) {
        case AuthMethod::FromApopKey:
            return LoginStyle{apopKey ? LoginStyle::Apop : LoginStyle::UserPass};
        case AuthMethod::User:
            return LoginStyle{LoginStyle::UserPass};
        case AuthMethod::Apop:
            return LoginStyle{LoginStyle::Apop};
        case AuthMethod::Plain:
            return sasl(offer, net::SaslMechanism::Plain);
        case AuthMethod::CramMd5:
            return sasl(offer, net::SaslMechanism::CramMd5);
        case AuthMethod::ScramSha256:
            return sasl(offer, net::SaslMechanism::ScramSha256);
        case AuthMethod::OAuth2:
            if (offers(offer, net::SaslMechanism::XOAuth2)) {
                return LoginStyle{LoginStyle::Sasl, net::SaslMechanism::XOAuth2};
            }
            return sasl(offer, net::SaslMechanism::OAuthBearer);
        case AuthMethod::Unknown:
            return std::nullopt;
        case AuthMethod::Auto:
            // Mechanisms that never send the password first, strongest first; the password itself only under TLS.
            if (offers(offer, net::SaslMechanism::ScramSha256)) {
                return LoginStyle{LoginStyle::Sasl, net::SaslMechanism::ScramSha256};
            }
            if (offers(offer, net::SaslMechanism::CramMd5)) {
                return LoginStyle{LoginStyle::Sasl, net::SaslMechanism::CramMd5};
            }
            if (offer.apopTimestamp) {
                return LoginStyle{LoginStyle::Apop};
            }
            if (!offer.encrypted) {
                return std::nullopt;
            }
            if (offers(offer, net::SaslMechanism::Plain)) {
                return LoginStyle{LoginStyle::Sasl, net::SaslMechanism::Plain};
            }
            return LoginStyle{LoginStyle::UserPass};
    }
    return std::nullopt;
}

}  // namespace mail
