#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "oauth/oauth_provider.h"

// The start of the authorization-code flow with PKCE (RFC 7636, S256) and a loopback redirect (RFC 8252): the
// secret verifier and the state value of one sign-in, and the address the browser opens.
namespace oauth {

struct AuthorizationRequest {
    std::string verifier;     // PKCE code_verifier: 43 characters from 32 random bytes
    std::string challenge;    // its S256 code_challenge
    std::string state;        // what the redirect must carry back
    std::string redirectUri;  // http://127.0.0.1:<port>/
    std::string url;          // the authorization page with every parameter
};

// Nothing when the system gives no random bytes (a guessable verifier or state would defeat both).
std::optional<AuthorizationRequest> startAuthorization(const Provider& provider,
                                                       const std::string& clientId,
                                                       int loopbackPort);

// S256: Base64url of SHA-256 of the verifier, without padding.
std::string pkceChallenge(std::string_view verifier);
// RFC 3986 percent-encoding of everything but the unreserved characters, for query and form values.
std::string percentEncode(std::string_view text);

}  // namespace oauth
