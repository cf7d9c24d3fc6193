// The loopback redirect listener with a browser played over plain TCP, and the token endpoint against the fake
// authorization server the harness runs (QV_OAUTH_*).
#include "oauth/authorization_request.h"
#include "oauth/loopback_listener.h"
#include "oauth/redirect_request.h"
#include "oauth/token_client.h"

#include "net/line_socket.h"

#include "tests/support/loopback_tcp.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

namespace tcp = testenv::loopback;

// Sends the bytes to the port as a browser would and returns the whole answer.
std::string browse(int port, const std::string& request) {
    tcp::Handle socket = tcp::connect(port);
    if (socket == tcp::kNone) {
        return "(no connection)";
    }
    tcp::sendAll(socket, request);
    std::string answer;
    char buffer[4096];
    for (int got; (got = tcp::receive(socket, buffer, sizeof buffer)) > 0;) {
        answer.append(buffer, got);
    }
    tcp::close(socket);
    return answer;
}

// Whether anything accepts a connection on the port (without failing the test when nothing does).
bool somebodyListens(int port) {
    net::LineSocket socket(net::kAfInet);
    return socket.create(net::kSockStream, 0) && socket.connect(net::resolveHost("127.0.0.1"), port);
}

// Sends the bytes and goes away without waiting for an answer.
void hangUpAfter(int port, const std::string& request) {
    tcp::Handle socket = tcp::connect(port);
    tcp::sendAll(socket, request);
    tcp::close(socket);
}

struct Loopback : ::testing::Test {
    void SetUp() override {
        tcp::startup();
    }
    void TearDown() override {
        tcp::cleanup();
    }
};

TEST_F(Loopback, TakesExactlyOneRequestAnswersItAndTakesNoOther) {
    const struct {
        std::string request;
        bool hangUp;
        oauth::ListenResult result;
    } rows[] = {
        {"GET /?code=c&state=s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", false, oauth::ListenResult::Request},
        {"GET /?code=c&state=s HTTP/1.1\r\n" + std::string(9000, 'x'), false, oauth::ListenResult::TooLarge},
        {"GET /", true, oauth::ListenResult::Failed},  // the browser went away mid-request
    };
    for (const auto& row : rows) {
        oauth::LoopbackListener listener;
        ASSERT_TRUE(listener.open());
        std::string answer;
        std::thread browser([&] {
            if (row.hangUp) {
                hangUpAfter(listener.port(), row.request);
            } else {
                answer = browse(listener.port(), row.request);
            }
        });
        std::string request;
        const oauth::ListenResult result = listener.takeRequest(request, 20000);
        EXPECT_EQ(result, row.result);
        if (result == oauth::ListenResult::Request) {
            EXPECT_EQ(request, row.request);
            listener.respond(oauth::htmlResponse(200, "ok"));
        } else {
            listener.respond("");
        }
        browser.join();
        EXPECT_EQ(answer.substr(0, 15), result == oauth::ListenResult::Request ? "HTTP/1.1 200 OK" : "");
        EXPECT_FALSE(somebodyListens(listener.port())) << "a second request must find nobody listening";
    }
}

TEST_F(Loopback, ACancelFromAnotherThreadOrTheTimeOutEndsTheWait) {
    oauth::LoopbackListener cancelled;
    ASSERT_TRUE(cancelled.open());
    std::thread canceller([&] { cancelled.cancel(); });
    std::string request;
    EXPECT_EQ(cancelled.takeRequest(request, 600000), oauth::ListenResult::Cancelled);
    canceller.join();

    oauth::LoopbackListener idle;
    ASSERT_TRUE(idle.open());
    EXPECT_EQ(idle.takeRequest(request, 50), oauth::ListenResult::TimedOut);
}

// The whole flow as the program runs it, with the test as the browser: the authorization page's redirect is
// followed to the listener, the code exchanged, and the refresh token then rotates.
TEST_F(Loopback, SignInExchangesTheCodeAndTheRefreshTokenRotates) {
    const std::string server = testenv::env("QV_OAUTH_URL"), browserSide = testenv::env("QV_OAUTH_BROWSER_URL");
    ASSERT_FALSE(server.empty() || browserSide.empty()) << "run under scripts/with-test-env";
    oauth::LoopbackListener listener;
    ASSERT_TRUE(listener.open());
    oauth::Provider provider{browserSide + "/authorize", server + "/token", "pop", "", 0, false};
    const auto start = oauth::startAuthorization(provider, "quorvane-test", listener.port());
    ASSERT_TRUE(start);

    // The browser: GET the authorization page, then follow its redirect to the listener.
    const int browserPort = std::stoi(browserSide.substr(browserSide.rfind(':') + 1));
    std::string redirectAnswer;
    std::thread browser([&] {
        const std::string page = browse(
            browserPort, "GET " + start->url.substr(browserSide.size()) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        const std::size_t at = page.find("Location: http://127.0.0.1:");
        const std::size_t pathAt = page.find('/', at + 27);
        const std::string target = page.substr(pathAt, page.find("\r\n", pathAt) - pathAt);
        redirectAnswer = browse(listener.port(), "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    });
    std::string request;
    ASSERT_EQ(listener.takeRequest(request, 20000), oauth::ListenResult::Request);
    const oauth::Redirect redirect = oauth::readRedirect(request, start->state);
    listener.respond(oauth::htmlResponse(200, "done"));
    browser.join();
    ASSERT_EQ(redirect.outcome, oauth::RedirectOutcome::Code) << request;

    const oauth::TokenEndpoint endpoint{server + "/token", "quorvane-test", ""};
    // A wrong verifier is refused (PKCE), and the code is spent by the try.
    EXPECT_EQ(oauth::exchangeCode(endpoint, redirect.code, start->verifier + "x", start->redirectUri).failure,
              oauth::TokenFailure::Refused);

    const auto again = oauth::startAuthorization(provider, "quorvane-test", listener.port());
    const std::string page = browse(browserPort, "GET " + again->url.substr(browserSide.size()) + " HTTP/1.0\r\n\r\n");
    const std::size_t codeAt = page.find("code=") + 5;
    const std::string code = page.substr(codeAt, page.find('&', codeAt) - codeAt);
    const oauth::TokenResult issued = oauth::exchangeCode(endpoint, code, again->verifier, again->redirectUri);
    ASSERT_EQ(issued.failure, oauth::TokenFailure::None);
    EXPECT_FALSE(issued.response.accessToken.empty());
    ASSERT_FALSE(issued.response.refreshToken.empty());

    const oauth::TokenResult refreshed = oauth::refreshAccessToken(endpoint, issued.response.refreshToken);
    ASSERT_EQ(refreshed.failure, oauth::TokenFailure::None);
    EXPECT_NE(refreshed.response.refreshToken, issued.response.refreshToken);
    EXPECT_EQ(oauth::refreshAccessToken(endpoint, issued.response.refreshToken).failure, oauth::TokenFailure::Refused)
        << "a rotated refresh token is spent";
}

TEST(TokenEndpoint, BrokenEndpointsGiveTheirFailureAndNoToken) {
    const std::string server = testenv::env("QV_OAUTH_URL"), untrusted = testenv::env("QV_OAUTH_UNTRUSTED_URL");
    ASSERT_FALSE(server.empty() || untrusted.empty()) << "run under scripts/with-test-env";
    const struct {
        std::string url;
        oauth::TokenFailure failure;
    } rows[] = {
        {server + "/token/not-json", oauth::TokenFailure::NotAnAnswer},
        {server + "/token/no-access-token", oauth::TokenFailure::NotAnAnswer},
        {server + "/token/huge", oauth::TokenFailure::NotAnAnswer},
        {server + "/token/redirect", oauth::TokenFailure::NotAnAnswer},
        {server + "/token", oauth::TokenFailure::Refused},
        {untrusted + "/token", oauth::TokenFailure::Untrusted},
        {"http" + server.substr(5) + "/token", oauth::TokenFailure::Unreachable},
        {"https://127.0.0.1:1/token", oauth::TokenFailure::Unreachable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        const oauth::TokenResult result = oauth::refreshAccessToken({row.url, "quorvane-test", "s3"}, "rt-unknown");
        EXPECT_EQ(result.failure, row.failure);
        EXPECT_TRUE(result.response.accessToken.empty());
    }
}

}  // namespace
