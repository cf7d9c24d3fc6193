#include "tests/support/oauth_tokens.h"

#include "oauth/authorization_request.h"
#include "oauth/http_post.h"
#include "oauth/token_client.h"
#include "tests/support/loopback_tcp.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

namespace testenv {

std::string browse(int port, const std::string& request) {
    loopback::Handle socket = loopback::connect(port);
    if (socket == loopback::kNone) {
        return "(no connection)";
    }
    loopback::sendAll(socket, request);
    std::string answer;
    char buffer[4096];
    for (int got; (got = loopback::receive(socket, buffer, sizeof buffer)) > 0;) {
        answer.append(buffer, got);
    }
    loopback::close(socket);
    return answer;
}

std::string getOverPlainHttp(const std::string& url) {
    // http://127.0.0.1:<port><path>
    const std::size_t portAt = url.find(':', 7) + 1;
    const std::size_t pathAt = url.find('/', portAt);
    loopback::startup();
    const std::string answer = browse(std::stoi(url.substr(portAt, pathAt - portAt)),
                                      "GET " + url.substr(pathAt) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    loopback::cleanup();
    return answer;
}

namespace {

void postToFakeServer(const std::string& path, const std::string& form) {
    const oauth::HttpReply reply = oauth::postForm(env("QV_OAUTH_URL") + path, form, 4096, 10000);
    EXPECT_EQ(reply.failure, oauth::HttpFailure::None) << path;
}

}  // namespace

IssuedTokens signInAtFakeServer(const std::string& clientId) {
    const std::string server = env("QV_OAUTH_URL"), browser = env("QV_OAUTH_BROWSER_URL");
    if (server.empty() || browser.empty()) {
        ADD_FAILURE() << "the fake authorization server is not running (use scripts/with-test-env)";
        return {};
    }
    const oauth::Provider provider{browser + "/authorize", server + "/token", "pop", "", 0, false};
    const auto request = oauth::startAuthorization(provider, clientId, 1);
    const std::string page = getOverPlainHttp(request->url);
    const std::size_t codeAt = page.find("code=");
    if (codeAt == std::string::npos) {
        ADD_FAILURE() << "no code from the fake authorization server";
        return {};
    }
    const std::string code = page.substr(codeAt + 5, page.find('&', codeAt) - codeAt - 5);
    const oauth::TokenResult result =
        oauth::exchangeCode({server + "/token", clientId, ""}, code, request->verifier, request->redirectUri);
    EXPECT_EQ(result.failure, oauth::TokenFailure::None);
    return {result.response.accessToken, result.response.refreshToken};
}

void expireAtFakeServer(const std::string& accessToken) {
    postToFakeServer("/expire", "token=" + oauth::percentEncode(accessToken));
}

void revokeAtFakeServer(const std::string& refreshToken) {
    postToFakeServer("/revoke", "refresh_token=" + oauth::percentEncode(refreshToken));
}

}  // namespace testenv
