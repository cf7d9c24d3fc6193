// Whole checks with each login method: against Dovecot (which offers every mechanism, and asks the fake
// authorization server about tokens) and against scripted servers for what Dovecot will not do.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/oauth_tokens.h"
#include "tests/support/test_env.h"

namespace {

using checktest::Calls;
using checktest::operator+;

// The expected calls without the stop polls, which the recorded ones are compared without.
Calls withoutPolls(Calls calls) {
    calls.erase(std::remove(calls.begin(), calls.end(), "poll"), calls.end());
    return calls;
}

enum class Token { Valid, ServerExpired, None };
enum class Refresh { Valid, Revoked, None, UntrustedEndpoint };

struct Row {
    const char* what;
    const char* auth;
    std::string pass;  // "" means the right one
    Token token;
    Refresh refresh;
    std::string outcome;  // "mail" or "failed <code>"
    const char* renewal;  // what the host heard of tokens, or "" for nothing
};

class CheckLoginTest : public checktest::DovecotCheckTest {
protected:
    void SetUp() override {
        DovecotCheckTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        mailbox->reset({"Subject: one\r\n\r\nbody\r\n"});
    }

    // Runs one check with the row's method and secrets; returns the calls without polls.
    Calls check(const Row& row, checktest::RecordingHost& host) {
        settings.pass = row.pass.empty() ? peer.pass : row.pass;
        const testenv::IssuedTokens tokens = row.token == Token::None && row.refresh == Refresh::None
                                                 ? testenv::IssuedTokens{}
                                                 : testenv::signInAtFakeServer();
        if (row.token == Token::ServerExpired) {
            testenv::expireAtFakeServer(tokens.access);
        }
        if (row.refresh == Refresh::Revoked) {
            testenv::revokeAtFakeServer(tokens.refresh);
        }
        const std::string server = row.refresh == Refresh::UntrustedEndpoint ? testenv::env("QV_OAUTH_UNTRUSTED_URL")
                                                                             : testenv::env("QV_OAUTH_URL");
        net::Pop3Session session{net::kAfInet};
        checktest::CheckWorker worker(session, settings, host);
        worker.adjust = [&](mail::CheckSettings& check) {
            check.auth = *mail::authMethodNamed(row.auth);
            check.oauth.tokenUrl = server + "/token";
            check.oauth.clientId = "quorvane-test";
            check.oauth.accessToken = row.token == Token::None ? "" : tokens.access;
            check.oauth.accessExpiresAt = std::time(nullptr) + 3000;
            check.oauth.refreshToken = row.refresh == Refresh::None ? "" : tokens.refresh;
        };
        checktest::runCheck(worker);
        return host.callsWithoutPolls();
    }
};

TEST_F(CheckLoginTest, EachMethodLogsInOrFailsWithItsCode) {
    const Row rows[] = {
        {"SCRAM-SHA-256", "scram-sha-256", "", Token::None, Refresh::None, "mail", ""},
        {"CRAM-MD5 with a wrong password", "cram-md5", "wrong-pass", Token::None, Refresh::None, "failed 4", ""},
        {"auto in clear takes SCRAM", "auto", "", Token::None, Refresh::None, "mail", ""},
        {"PLAIN chosen by the user", "PLAIN", "", Token::None, Refresh::None, "mail", ""},
        {"a valid access token", "oauth2", "", Token::Valid, Refresh::Valid, "mail", ""},
        {"no access token yet: renewed first", "oauth2", "", Token::None, Refresh::Valid, "mail",
         "tokens renewed, refresh token replaced"},
        {"a token the server no longer takes: renewed, tried again", "oauth2", "", Token::ServerExpired, Refresh::Valid,
         "mail", "tokens renewed, refresh token replaced"},
        {"a revoked refresh token", "oauth2", "", Token::None, Refresh::Revoked, "failed 16", ""},
        {"never signed in", "oauth2", "", Token::None, Refresh::None, "failed 16", ""},
        {"an untrusted authorization server", "oauth2", "", Token::None, Refresh::UntrustedEndpoint, "failed 17", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        checktest::RecordingHost host;
        const Calls calls = check(row, host);
        const bool mail = row.outcome == "mail";
        Calls expected = checktest::startCalls();
        if (*row.renewal != '\0') {
            expected.push_back(row.renewal);
        }
        expected = mail ? expected + Calls{"hand over 1", "mail waiting 1"} + checktest::endCalls()
                        : expected + checktest::failureCalls(std::stoi(row.outcome.substr(7)));
        EXPECT_EQ(calls, withoutPolls(expected));
    }
}

// A server that lacks what the user chose gets nothing but CAPA (and no secret at all); auto over plain text finds
// no mechanism that keeps the password safe and sends none.
TEST(CheckLoginScripted, AServerWithoutTheChosenMechanismGetsNoSecret) {
    const struct {
        const char* auth;
        const char* capa;
    } rows[] = {
        {"cram-md5", "+OK\r\nSASL PLAIN LOGIN\r\n.\r\n"},
        {"scram-sha-256", "+OK\r\nSASL SCRAM-SHA-1\r\n.\r\n"},
        {"oauth2", "+OK\r\nSASL PLAIN\r\n.\r\n"},
        {"auto", "+OK\r\nSASL PLAIN LOGIN\r\nUSER\r\n.\r\n"},
        {"plain", "-ERR no CAPA here\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.auth);
        testenv::FakePop3Server server("+OK ready\r\n", {{"CAPA", row.capa}});
        settings::Settings settings;
        settings.server = "127.0.0.1";
        settings.pop3Port = server.port();
        settings.user = "neko";
        settings.pass = "throwaway-pass";
        net::Pop3Session session{net::kAfInet};
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        worker.adjust = [&](mail::CheckSettings& check) {
            check.auth = *mail::authMethodNamed(row.auth);
            check.oauth.accessToken = "at-throwaway";
            check.oauth.accessExpiresAt = std::time(nullptr) + 3000;
        };
        checktest::runCheck(worker);
        EXPECT_EQ(host.callsWithoutPolls(),
                  withoutPolls(checktest::startCalls() + checktest::failureCalls(mail::kErrAuthUnavailable)));
        EXPECT_EQ(server.commands(), std::vector<std::string>{"CAPA"});
    }
}

}  // namespace
