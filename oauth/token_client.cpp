#include "oauth/token_client.h"

#include "base/wipe.h"
#include "oauth/authorization_request.h"
#include "oauth/http_post.h"

namespace oauth {

namespace {

std::string clientPart(const TokenEndpoint& endpoint) {
    std::string form = "&client_id=" + percentEncode(endpoint.clientId);
    if (!endpoint.clientSecret.empty()) {
        form += "&client_secret=" + percentEncode(endpoint.clientSecret);
    }
    return form;
}

TokenResult post(const TokenEndpoint& endpoint, std::string& form) {
    base::WipeOnExit wipeForm(form);
    HttpReply reply = postForm(endpoint.url, form, kMaxTokenResponseBytes, kTokenTimeoutMs);
    base::WipeOnExit wipeBody(reply.body);
    TokenResult result;
    switch (reply.failure) {
        case HttpFailure::None:
            break;
        case HttpFailure::Untrusted:
            result.failure = TokenFailure::Untrusted;
            return result;
        case HttpFailure::Redirected:
        case HttpFailure::TooLarge:
            result.failure = TokenFailure::NotAnAnswer;
            return result;
        case HttpFailure::NotHttps:
        case HttpFailure::Network:
            result.failure = TokenFailure::Unreachable;
            return result;
    }
    result.response = readTokenResponse(reply.status, reply.body);
    switch (result.response.outcome) {
        case TokenOutcome::Issued:
            result.failure = TokenFailure::None;
            break;
        case TokenOutcome::Refused:
            result.failure = TokenFailure::Refused;
            break;
        case TokenOutcome::NotJson:
        case TokenOutcome::NoAccessToken:
            result.failure = TokenFailure::NotAnAnswer;
            break;
    }
    return result;
}

}  // namespace

TokenResult exchangeCode(const TokenEndpoint& endpoint,
                         const std::string& code,
                         const std::string& verifier,
                         const std::string& redirectUri) {
    std::string form = "grant_type=authorization_code&code=" + percentEncode(code) +
                       "&redirect_uri=" + percentEncode(redirectUri) + "&code_verifier=" + percentEncode(verifier) +
                       clientPart(endpoint);
    return post(endpoint, form);
}

TokenResult refreshAccessToken(const TokenEndpoint& endpoint, const std::string& refreshToken) {
    std::string form = "grant_type=refresh_token&refresh_token=" + percentEncode(refreshToken) + clientPart(endpoint);
    return post(endpoint, form);
}

}  // namespace oauth
