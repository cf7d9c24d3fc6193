#include "net/sasl_exchange.h"

#include "base/ascii.h"
#include "base/base64.h"
#include "base/decimal.h"
#include "base/hex_digits.h"
#include "base/wipe.h"
#include "net/hmac.h"

namespace net {

namespace {

struct NamedMechanism {
    SaslMechanism mechanism;
    const char* name;
};

constexpr NamedMechanism kNames[] = {
    {SaslMechanism::Plain, "PLAIN"},      {SaslMechanism::Login, "LOGIN"},
    {SaslMechanism::CramMd5, "CRAM-MD5"}, {SaslMechanism::ScramSha256, "SCRAM-SHA-256"},
    {SaslMechanism::XOAuth2, "XOAUTH2"},  {SaslMechanism::OAuthBearer, "OAUTHBEARER"},
};

// SCRAM's and OAUTHBEARER's "saslname": ',' and '=' escaped.
std::string escapedName(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '=') {
            out += "=3D";
        } else if (c == ',') {
            out += "=2C";
        } else {
            out += c;
        }
    }
    return out;
}

// The value of the attribute `key` ("r", "s", ...) in a SCRAM message, or nothing.
std::optional<std::string_view> scramAttribute(std::string_view message, char key) {
    while (!message.empty()) {
        const std::size_t comma = message.find(',');
        const std::string_view item = message.substr(0, comma);
        if (item.size() >= 2 && item[0] == key && item[1] == '=') {
            return item.substr(2);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        message.remove_prefix(comma + 1);
    }
    return std::nullopt;
}

std::string xorBytes(const std::string& a, const std::string& b) {
    std::string out = a;
    for (std::size_t i = 0; i < out.size() && i < b.size(); ++i) {
        out[i] = static_cast<char>(out[i] ^ b[i]);
    }
    return out;
}

bool sameBytes(std::string_view a, std::string_view b) {
    // Every byte compared, so the time taken tells nothing about where they differ.
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

}  // namespace

const char* saslName(SaslMechanism mechanism) {
    for (const NamedMechanism& named : kNames) {
        if (named.mechanism == mechanism) {
            return named.name;
        }
    }
    return "";
}

std::optional<SaslMechanism> saslMechanismNamed(std::string_view name) {
    for (const NamedMechanism& named : kNames) {
        if (base::equalsNoCase(name, named.name)) {
            return named.mechanism;
        }
    }
    return std::nullopt;
}

SaslExchange::SaslExchange(SaslMechanism mechanism, const SaslCredentials& credentials, std::string clientNonce)
    : mechanism_(mechanism), credentials_(credentials), nonce_(std::move(clientNonce)) {
}

SaslExchange::~SaslExchange() {
    base::wipeString(credentials_.secret);
    base::wipeString(authMessage_);
    base::wipeString(serverSignature_);
}

std::optional<std::string> SaslExchange::initialResponse() {
    switch (mechanism_) {
        case SaslMechanism::Plain: {
            step_ = 1;
            std::string response;
            response.reserve(credentials_.user.size() + credentials_.secret.size() + 2);
            response += '\0';
            response += credentials_.user;
            response += '\0';
            response += credentials_.secret;
            return response;
        }
        case SaslMechanism::ScramSha256:
            step_ = 1;
            authMessage_ = "n=" + escapedName(credentials_.user) + ",r=" + nonce_;
            return "n,," + authMessage_;
        case SaslMechanism::XOAuth2: {
            step_ = 1;
            std::string response;
            response.reserve(credentials_.user.size() + credentials_.secret.size() + 24);
            response += "user=";
            response += credentials_.user;
            response +=
                "\x01"
                "auth=Bearer ";
            response += credentials_.secret;
            response += "\x01\x01";
            return response;
        }
        case SaslMechanism::OAuthBearer: {
            step_ = 1;
            std::string response;
            response.reserve(credentials_.user.size() + credentials_.secret.size() + credentials_.host.size() + 48);
            response += "n,a=";
            response += escapedName(credentials_.user);
            response +=
                ",\x01"
                "host=";
            response += credentials_.host;
            response +=
                "\x01"
                "port=";
            response += std::to_string(credentials_.port);
            response +=
                "\x01"
                "auth=Bearer ";
            response += credentials_.secret;
            response += "\x01\x01";
            return response;
        }
        case SaslMechanism::Login:
        case SaslMechanism::CramMd5:
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> SaslExchange::respond(std::string_view challenge) {
    switch (mechanism_) {
        case SaslMechanism::Plain:
            // Sent in the first response (initial or after an empty challenge); any further challenge is wrong.
            if (step_ == 0 && challenge.empty()) {
                return initialResponse();
            }
            return std::nullopt;
        case SaslMechanism::Login:
            // The prompts' wording varies ("Username:", "User Name"); their order does not.
            ++step_;
            if (step_ == 1) {
                return credentials_.user;
            }
            if (step_ == 2) {
                return credentials_.secret;
            }
            return std::nullopt;
        case SaslMechanism::CramMd5: {
            if (step_++ != 0 || challenge.empty()) {
                return std::nullopt;
            }
            const std::string digest = hmacMd5(credentials_.secret, std::string(challenge));
            std::string response = credentials_.user + ' ';
            base::appendHex(response, reinterpret_cast<const unsigned char*>(digest.data()), digest.size());
            return response;
        }
        case SaslMechanism::ScramSha256:
            if (step_ == 0 && challenge.empty()) {
                return initialResponse();
            }
            if (step_ == 1) {
                step_ = 2;
                return scramFinal(challenge);
            }
            if (step_ == 2) {
                step_ = 3;
                if (scramVerify(challenge)) {
                    return std::string();
                }
            }
            return std::nullopt;
        case SaslMechanism::XOAuth2:
            if (step_ == 0 && challenge.empty()) {
                return initialResponse();
            }
            // After the token, a challenge is the server's error report; an empty response lets it say -ERR.
            failed_ = true;
            return std::string();
        case SaslMechanism::OAuthBearer:
            if (step_ == 0 && challenge.empty()) {
                return initialResponse();
            }
            // RFC 7628: the error report is acknowledged with a single 0x01.
            failed_ = true;
            return std::string("\x01");
    }
    return std::nullopt;
}

bool SaslExchange::successAllowed() const {
    if (failed_) {
        return false;
    }
    switch (mechanism_) {
        case SaslMechanism::ScramSha256:
            return serverVerified_;
        case SaslMechanism::Login:
            return step_ == 2;
        default:
            return step_ >= 1;
    }
}

std::optional<std::string> SaslExchange::scramFinal(std::string_view serverFirst) {
    // r= must extend our nonce, s= be a salt, i= a positive count; "m=" (a mandatory extension) is not spoken.
    const auto nonce = scramAttribute(serverFirst, 'r');
    const auto salt = scramAttribute(serverFirst, 's');
    const auto count = scramAttribute(serverFirst, 'i');
    if (serverFirst.substr(0, 2) == "m=" || !nonce || !salt || !count || nonce->size() <= nonce_.size() ||
        nonce->substr(0, nonce_.size()) != nonce_) {
        return std::nullopt;
    }
    const auto saltBytes = base::decodeBase64(*salt);
    const base::Decimal iterations = base::readDecimal(*count, kMaxScramIterations + 1);
    if (!saltBytes || saltBytes->empty() || iterations.digits != count->size() || iterations.value == 0 ||
        iterations.value > kMaxScramIterations) {
        return std::nullopt;
    }
    std::string salted = pbkdf2Sha256(credentials_.secret, *saltBytes, iterations.value);
    base::WipeOnExit wipeSalted(salted);
    std::string clientKey = hmacSha256(salted, "Client Key");
    base::WipeOnExit wipeClientKey(clientKey);
    std::string serverKey = hmacSha256(salted, "Server Key");
    base::WipeOnExit wipeServerKey(serverKey);

    const std::string withoutProof = "c=biws,r=" + std::string(*nonce);
    authMessage_ += ',';
    authMessage_ += serverFirst;
    authMessage_ += ',';
    authMessage_ += withoutProof;
    const std::string proof = xorBytes(clientKey, hmacSha256(sha256(clientKey), authMessage_));
    serverSignature_ = hmacSha256(serverKey, authMessage_);
    return withoutProof + ",p=" + base::encodeBase64(proof);
}

bool SaslExchange::scramVerify(std::string_view serverFinal) {
    if (scramAttribute(serverFinal, 'e')) {
        failed_ = true;
        return false;
    }
    const auto signature = scramAttribute(serverFinal, 'v');
    const auto bytes = signature ? base::decodeBase64(*signature) : std::nullopt;
    serverVerified_ = bytes && sameBytes(*bytes, serverSignature_);
    return serverVerified_;
}

}  // namespace net
