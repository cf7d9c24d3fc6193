#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a token endpoint answered (RFC 6749 section 5), read without building a document: only the top-level
// members a client needs are kept.
namespace oauth {

// A token response is a few kilobytes; a larger body is refused unread.
constexpr std::size_t kMaxTokenResponseBytes = 65536;

enum class TokenOutcome {
    Issued,         // an access token (and maybe a new refresh token)
    Refused,        // the server's error answer, e.g. invalid_grant for a revoked refresh token
    NotJson,        // not a JSON object
    NoAccessToken,  // JSON, but neither a token nor an error
};

struct TokenResponse {
    TokenOutcome outcome = TokenOutcome::NotJson;
    std::string accessToken;
    std::string refreshToken;  // empty when the server kept the old one
    long long expiresInSeconds = 0;
    std::string error;  // the "error" member of an error answer
};

TokenResponse readTokenResponse(int httpStatus, std::string_view body);

}  // namespace oauth
