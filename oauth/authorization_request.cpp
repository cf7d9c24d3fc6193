#include "oauth/authorization_request.h"

#include "base/base64.h"
#include "base/random_bytes.h"
#include "net/hmac.h"

namespace oauth {

namespace {

std::optional<std::string> randomToken(std::size_t bytes) {
    std::string raw(bytes, '\0');
    if (!base::randomBytes(raw.data(), raw.size())) {
        return std::nullopt;
    }
    return base::encodeBase64Url(raw);
}

}  // namespace

std::string pkceChallenge(std::string_view verifier) {
    return base::encodeBase64Url(net::sha256(std::string(verifier)));
}

std::string percentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::optional<AuthorizationRequest> startAuthorization(const Provider& provider,
                                                       const std::string& clientId,
                                                       int loopbackPort) {
    std::optional<std::string> verifier = randomToken(32);
    std::optional<std::string> state = randomToken(16);
    if (!verifier || !state) {
        return std::nullopt;
    }
    AuthorizationRequest request;
    request.verifier = std::move(*verifier);
    request.challenge = pkceChallenge(request.verifier);
    request.state = std::move(*state);
    request.redirectUri = "http://127.0.0.1:" + std::to_string(loopbackPort) + "/";
    request.url = provider.authorizeUrl;
    request.url += provider.authorizeUrl.find('?') == std::string::npos ? '?' : '&';
    request.url += "response_type=code&client_id=" + percentEncode(clientId) +
                   "&redirect_uri=" + percentEncode(request.redirectUri) + "&scope=" + percentEncode(provider.scope) +
                   "&state=" + request.state + "&code_challenge=" + request.challenge + "&code_challenge_method=S256";
    if (provider.asksOfflineAccess) {
        request.url += "&access_type=offline&prompt=consent";
    }
    return request;
}

}  // namespace oauth
