// The loopback redirect listener with a browser played over plain TCP, and the token endpoint against the fake
// authorization server the harness runs (QV_OAUTH_*).
#include "oauth/authorization_request.h"
#include "oauth/loopback_listener.h"
#include "oauth/redirect_request.h"
#include "oauth/sign_in.h"
#include "oauth/token_client.h"

#include "net/line_socket.h"

#include "tests/support/loopback_tcp.h"
#include "tests/support/oauth_tokens.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

namespace tcp = testenv::loopback;

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
                answer = testenv::browse(listener.port(), row.request);
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

// Whole sign-ins as the program runs them, with the test as the browser: it fetches the authorization page over
// plain HTTP and then sends the listener what the row says.
TEST_F(Loopback, SignInTakesOnlyItsOwnRedirectAndExchangesItsCode) {
    const std::string server = testenv::env("QV_OAUTH_URL"), browserSide = testenv::env("QV_OAUTH_BROWSER_URL");
    const std::string untrusted = testenv::env("QV_OAUTH_UNTRUSTED_URL");
    ASSERT_FALSE(server.empty() || browserSide.empty()) << "run under scripts/with-test-env";
    const int browserPort = std::stoi(browserSide.substr(browserSide.rfind(':') + 1));
    enum Browser { Follow, TamperState, Favicon, Cancel };
    const struct {
        const char* what;
        const char* clientId;
        std::string tokenUrl;
        Browser browser;
        oauth::SignInFailure failure;
    } rows[] = {
        {"signed in", "quorvane-test", server + "/token", Follow, oauth::SignInFailure::None},
        {"the user said no", "deny", server + "/token", Follow, oauth::SignInFailure::Denied},
        {"a forged state", "quorvane-test", server + "/token", TamperState, oauth::SignInFailure::BadRedirect},
        {"another request", "quorvane-test", server + "/token", Favicon, oauth::SignInFailure::BadRedirect},
        {"cancelled", "quorvane-test", server + "/token", Cancel, oauth::SignInFailure::Cancelled},
        {"untrusted token endpoint", "quorvane-test", untrusted + "/token", Follow,
         oauth::SignInFailure::TokenUntrusted},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        oauth::SignIn signIn({{browserSide + "/authorize", row.tokenUrl, "pop", "", 0, false},
                              row.clientId,
                              "",
                              20000,
                              "done",
                              "failed"});
        ASSERT_TRUE(signIn.start());
        const int listenerPort = std::stoi(signIn.url().substr(signIn.url().find("127.0.0.1%3A") + 12));
        std::string page;
        std::thread browser([&] {
            if (row.browser == Cancel) {
                signIn.cancel();
                return;
            }
            const std::string authorization = testenv::browse(
                browserPort, "GET " + signIn.url().substr(browserSide.size()) + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
            const std::size_t pathAt = authorization.find('/', authorization.find("Location: http://") + 17);
            std::string target = authorization.substr(pathAt, authorization.find("\r\n", pathAt) - pathAt);
            if (row.browser == TamperState) {
                target += "x";  // state is the last parameter
            } else if (row.browser == Favicon) {
                target = "/favicon.ico";
            }
            page = testenv::browse(listenerPort, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        });
        const oauth::SignInResult result = signIn.finish();
        browser.join();
        EXPECT_EQ(result.failure, row.failure);
        EXPECT_EQ(result.accessToken.empty(), row.failure != oauth::SignInFailure::None);
        if (row.browser != Cancel) {
            const bool exchanged =
                row.failure == oauth::SignInFailure::None || row.failure == oauth::SignInFailure::TokenUntrusted;
            EXPECT_EQ(page.substr(page.size() - 4), exchanged ? "done" : "iled") << page;
        }
    }
}

// A refresh token works once: the answer carries a new one, and the old one is refused from then on.
TEST(TokenEndpoint, RefreshTokensRotate) {
    const testenv::IssuedTokens issued = testenv::signInAtFakeServer();
    ASSERT_FALSE(issued.refresh.empty());
    const oauth::TokenEndpoint endpoint{testenv::env("QV_OAUTH_URL") + "/token", "quorvane-test", ""};
    const oauth::TokenResult refreshed = oauth::refreshAccessToken(endpoint, issued.refresh);
    ASSERT_EQ(refreshed.failure, oauth::TokenFailure::None);
    EXPECT_NE(refreshed.response.refreshToken, issued.refresh);
    EXPECT_FALSE(refreshed.response.accessToken.empty());
    EXPECT_EQ(oauth::refreshAccessToken(endpoint, issued.refresh).failure, oauth::TokenFailure::Refused);
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
