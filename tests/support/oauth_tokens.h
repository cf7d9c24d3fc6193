#pragma once

#include <string>

// Tokens from the test environment's fake authorization server (QV_OAUTH_*), signed in as a browser would:
// the authorization page over plain HTTP, its code exchanged at the token endpoint.
namespace testenv {

struct IssuedTokens {
    std::string access;
    std::string refresh;
};

// The whole answer (head and body) to a GET of an http://127.0.0.1:<port>/... address, as a browser asks.
std::string getOverPlainHttp(const std::string& url);
// Sends the request to 127.0.0.1:port as a browser would and returns the whole answer (the socket library must be
// started).
std::string browse(int port, const std::string& request);

// Fails the calling test and gives empty tokens when the server is missing or refuses.
IssuedTokens signInAtFakeServer(const std::string& clientId = "quorvane-test");

// Asks the fake server to stop accepting the access token (it has "expired"), or a refresh token ("revoked").
void expireAtFakeServer(const std::string& accessToken);
void revokeAtFakeServer(const std::string& refreshToken);

}  // namespace testenv
