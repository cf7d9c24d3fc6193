// The sign-in's pieces that need no network: PKCE, the authorization address, the redirect request and the
// token endpoint's answer, each as a table.
#include "oauth/authorization_request.h"
#include "oauth/redirect_request.h"
#include "oauth/token_response.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using oauth::RedirectOutcome;
using oauth::TokenOutcome;

TEST(Pkce, ChallengeOfRfc7636sExampleAndFreshValuesEachTime) {
    EXPECT_EQ(oauth::pkceChallenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
    const oauth::Provider provider = *oauth::knownProvider("Google");
    const auto first = oauth::startAuthorization(provider, "id with space&more", 50123);
    const auto second = oauth::startAuthorization(provider, "id with space&more", 50123);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->verifier.size(), 43u);
    EXPECT_EQ(first->verifier.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
              std::string::npos);
    EXPECT_NE(first->verifier, second->verifier);
    EXPECT_NE(first->state, second->state);
    EXPECT_EQ(first->challenge, oauth::pkceChallenge(first->verifier));
    EXPECT_EQ(first->redirectUri, "http://127.0.0.1:50123/");
    EXPECT_EQ(first->url,
              "https://accounts.google.com/o/oauth2/v2/auth?response_type=code&client_id=id%20with%20space%26more"
              "&redirect_uri=http%3A%2F%2F127.0.0.1%3A50123%2F&scope=https%3A%2F%2Fmail.google.com%2F&state=" +
                  first->state + "&code_challenge=" + first->challenge +
                  "&code_challenge_method=S256&access_type=offline&prompt=consent");
    EXPECT_FALSE(oauth::knownProvider("yahoo"));
}

TEST(Redirect, OnlyAGetOfTheRedirectPathWithOurStateGivesACode) {
    const struct {
        std::string request;
        RedirectOutcome outcome;
        const char* code;
        const char* error;
    } rows[] = {
        {"GET /?code=abc%2Fdef&state=S1 HTTP/1.1\r\nHost: x\r\n\r\n", RedirectOutcome::Code, "abc/def", ""},
        {"GET /?state=S1&code=a+b HTTP/1.1\r\n\r\n", RedirectOutcome::Code, "a b", ""},
        {"GET /?error=access_denied&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::Denied, "", "access_denied"},
        {"GET /?code=abc&state=S2 HTTP/1.1\r\n\r\n", RedirectOutcome::WrongState, "", ""},
        {"GET /?code=abc HTTP/1.1\r\n\r\n", RedirectOutcome::WrongState, "", ""},
        {"GET /?code=abc&state=S2&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::WrongState, "", ""},
        {"GET /?code=abc&state=S HTTP/1.1\r\n\r\n", RedirectOutcome::WrongState, "", ""},
        {"GET /?code=&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /?code=%zz&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /favicon.ico HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /other?code=abc&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"POST /?code=abc&state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /?code=abc&state=S1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /?state=S1 HTTP/1.1\r\n\r\n", RedirectOutcome::NotTheRedirect, "", ""},
        {"GET /?code=abc&state=S1 HTTP/1.1\r\nX: " + std::string(9000, 'x') + "\r\n\r\n", RedirectOutcome::TooLarge, "",
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request.substr(0, 60));
        const oauth::Redirect redirect = oauth::readRedirect(row.request, "S1");
        EXPECT_EQ(redirect.outcome, row.outcome);
        EXPECT_EQ(redirect.code, row.code);
        if (row.outcome == RedirectOutcome::Denied) {
            EXPECT_EQ(redirect.error, row.error);
        }
    }
    EXPECT_EQ(oauth::readRedirect("GET /?code=abc&state= HTTP/1.1\r\n\r\n", "").outcome, RedirectOutcome::WrongState);
}

TEST(TokenResponse, TokensAreTakenOnlyFromACleanSuccess) {
    const struct {
        int status;
        std::string body;
        TokenOutcome outcome;
        const char* access;
        const char* refresh;
        long long expires;
    } rows[] = {
        {200, R"({"access_token":"at1","refresh_token":"rt1","expires_in":3599,"token_type":"Bearer"})",
         TokenOutcome::Issued, "at1", "rt1", 3599},
        {200, R"({"token_type":"Bearer","access_token":"at\u00e9","expires_in":"60"})", TokenOutcome::Issued,
         "at\xc3\xa9", "", 60},
        {200, R"({"nested":{"access_token":"no"},"list":[{"access_token":"no"}],"access_token":"yes"})",
         TokenOutcome::Issued, "yes", "", 0},
        {400, R"({"error":"invalid_grant","error_description":"revoked"})", TokenOutcome::Refused, "", "", 0},
        {200, R"({"error":"invalid_client","access_token":"at1"})", TokenOutcome::Refused, "", "", 0},
        {500, R"({"access_token":"at1"})", TokenOutcome::NoAccessToken, "", "", 0},
        {200, R"({"token_type":"Bearer"})", TokenOutcome::NoAccessToken, "", "", 0},
        {200, "<html>maintenance</html>", TokenOutcome::NotJson, "", "", 0},
        {200, R"(["access_token","at1"])", TokenOutcome::NotJson, "", "", 0},
        {200, R"({"access_token":"at1")", TokenOutcome::NotJson, "", "", 0},
        {200, R"({"access_token":"at1"} trailing)", TokenOutcome::NotJson, "", "", 0},
        {200, "", TokenOutcome::NotJson, "", "", 0},
        {200, std::string(60000, '['), TokenOutcome::NotJson, "", "", 0},
        {200, R"({"access_token":")" + std::string(70000, 'a') + R"("})", TokenOutcome::NotJson, "", "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 60));
        const oauth::TokenResponse response = oauth::readTokenResponse(row.status, row.body);
        EXPECT_EQ(response.outcome, row.outcome);
        EXPECT_EQ(response.accessToken, row.access);
        EXPECT_EQ(response.refreshToken, row.refresh);
        EXPECT_EQ(response.expiresInSeconds, row.expires);
    }
}

}  // namespace
