#pragma once

#include <string>

#include "oauth/token_response.h"

// The two requests to a token endpoint: the code of a sign-in exchanged with its PKCE verifier, and a refresh.
namespace oauth {

struct TokenEndpoint {
    std::string url;
    std::string clientId;
    std::string clientSecret;  // empty for a public client; Google wants it even from desktop programs
};

enum class TokenFailure {
    None,
    Refused,      // the server said no (a revoked or expired refresh token, a wrong client)
    Unreachable,  // no connection, a time-out, or not an https:// address
    Untrusted,    // the certificate failed the platform's checks
    NotAnAnswer,  // a redirect, a body too large, not JSON, or JSON without a token
};

struct TokenResult {
    TokenFailure failure = TokenFailure::Unreachable;
    TokenResponse response;
};

TokenResult exchangeCode(const TokenEndpoint& endpoint,
                         const std::string& code,
                         const std::string& verifier,
                         const std::string& redirectUri);
TokenResult refreshAccessToken(const TokenEndpoint& endpoint, const std::string& refreshToken);

// The time each step of a token request may take.
constexpr int kTokenTimeoutMs = 30000;

}  // namespace oauth
