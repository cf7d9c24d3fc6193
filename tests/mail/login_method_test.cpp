#include "mail/login_method.h"

#include <gtest/gtest.h>

namespace {

using mail::AuthMethod;
using mail::LoginStyle;
using net::SaslMechanism;

struct Expected {
    bool some;
    LoginStyle::Kind kind;
    SaslMechanism mechanism;
};
constexpr Expected kNone{false, LoginStyle::UserPass, SaslMechanism::Plain};
constexpr Expected kUser{true, LoginStyle::UserPass, SaslMechanism::Plain};
constexpr Expected kApop{true, LoginStyle::Apop, SaslMechanism::Plain};
constexpr Expected sasl(SaslMechanism m) {
    return {true, LoginStyle::Sasl, m};
}

// Each row: the Auth key, the APOP key, what the server offers, and the login that must follow.
TEST(LoginMethod, TheChosenMethodAndTheServersOfferDecideTheLogin) {
    const std::vector<std::string> all = {"PLAIN", "LOGIN", "CRAM-MD5", "SCRAM-SHA-256", "XOAUTH2", "OAUTHBEARER"};
    const std::vector<std::string> plainOnly = {"PLAIN", "LOGIN"};
    const struct {
        const char* auth;
        bool apopKey;
        std::vector<std::string> sasl;
        bool tls, timestamp;
        Expected expected;
    } rows[] = {
        {"", false, all, false, true, kUser},  // no Auth key: exactly the APOP key's choice
        {"", true, {}, false, false, kApop},
        {"user", true, all, false, true, kUser},
        {"APOP", false, {}, false, false, kApop},  // a missing timestamp is the APOP login's own error
        {"plain", false, plainOnly, false, false, sasl(SaslMechanism::Plain)},
        {"plain", false, {"LOGIN"}, true, false, kNone},
        {"cram-md5", false, all, false, false, sasl(SaslMechanism::CramMd5)},
        {"cram-md5", false, plainOnly, true, true, kNone},
        {"scram-sha-256", false, {"scram-sha-256"}, false, false, sasl(SaslMechanism::ScramSha256)},
        {"scram-sha-256", false, {"SCRAM-SHA-1"}, true, false, kNone},
        {"oauth2", false, all, true, false, sasl(SaslMechanism::XOAuth2)},
        {"oauth2", false, {"OAUTHBEARER"}, true, false, sasl(SaslMechanism::OAuthBearer)},
        {"oauth2", false, plainOnly, true, false, kNone},
        {"auto", true, all, false, true, sasl(SaslMechanism::ScramSha256)},
        {"auto", false, {"PLAIN", "CRAM-MD5"}, false, true, sasl(SaslMechanism::CramMd5)},
        {"auto", false, plainOnly, false, true, kApop},
        {"auto", false, plainOnly, false, false, kNone},  // only the password in clear: never without TLS
        {"auto", false, {}, false, false, kNone},
        {"auto", false, plainOnly, true, false, sasl(SaslMechanism::Plain)},
        {"auto", false, {}, true, false, kUser},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.auth) + (row.tls ? " over TLS" : " in clear"));
        const std::optional<AuthMethod> method = mail::authMethodNamed(row.auth);
        ASSERT_TRUE(method);
        const auto login = mail::chooseLogin(*method, row.apopKey, {row.sasl, row.tls, row.timestamp});
        ASSERT_EQ(login.has_value(), row.expected.some);
        if (login) {
            EXPECT_EQ(login->kind, row.expected.kind);
            if (login->kind == LoginStyle::Sasl) {
                EXPECT_EQ(login->mechanism, row.expected.mechanism);
            }
        }
    }
}

TEST(LoginMethod, KeyValuesReadBackAndUnknownOnesAreRefused) {
    for (AuthMethod m : {AuthMethod::FromApopKey, AuthMethod::Auto, AuthMethod::User, AuthMethod::Apop,
                         AuthMethod::Plain, AuthMethod::CramMd5, AuthMethod::ScramSha256, AuthMethod::OAuth2}) {
        EXPECT_EQ(mail::authMethodNamed(mail::authMethodKeyValue(m)), m);
    }
    EXPECT_EQ(mail::authMethodNamed(" OAuth2 "), AuthMethod::OAuth2);
    EXPECT_EQ(mail::authMethodNamed("kerberos"), std::nullopt);
    EXPECT_EQ(mail::authMethodNamed("scram"), std::nullopt);
}

}  // namespace
