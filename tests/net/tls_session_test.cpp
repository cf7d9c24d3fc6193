#include "net/pop3_session.h"

#include "tests/net/tls_peer_test.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/socket_released.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

// The POP3 session over TLS against the harness's Dovecot (implicit TLS and STLS, one certificate per local
// address) and the scripted TLS peer (records split, huge, cut off, closed by close-notify, or never sent).
namespace {

using net::CertProblem;
using net::TlsStatus;

class TlsSessionTest : public nettest::TlsPeerTest {
protected:
    void SetUp() override {
        TlsPeerTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        ASSERT_TRUE(session.create(net::kSockStream, 0));
    }
    void TearDown() override {
        session.close();
    }

    // Opens the session the given way: true = implicit TLS on the POP3S port, false = STLS on the plain port.
    net::TlsResult openSecure(bool implicit, const std::string& host, const std::string& trusted = "") {
        net::TlsResult result;
        if (implicit) {
            const char* greeting = session.openTls(host.c_str(), tls.implicitPort, trusted, result);
            EXPECT_NE(greeting, nullptr);
            if (greeting != nullptr && result.status == TlsStatus::Ok) {
                EXPECT_EQ(std::string(greeting).substr(0, 3), "+OK");
            }
            return result;
        }
        const char* greeting = session.open(host.c_str(), tls.stlsPort);
        EXPECT_NE(greeting, nullptr);
        bool offered = false;
        result = session.upgradeWithStls(host.c_str(), trusted, offered);
        EXPECT_TRUE(offered);
        return result;
    }

    std::vector<std::string> readMultiLine() {
        std::vector<std::string> lines;
        std::string line;
        while (session.readLine(line) && line != ".") {
            lines.push_back(line);
        }
        return lines;
    }

    net::Pop3Session session{net::kAfInet};
};

TEST_F(TlsSessionTest, BothWaysLogInAndCountTheSameMailbox) {
    int plainCount = -1;
    {
        net::Pop3Session plain{net::kAfInet};
        ASSERT_TRUE(plain.create(net::kSockStream, 0));
        ASSERT_NE(plain.open(peer.host.c_str(), peer.port), nullptr);
        ASSERT_TRUE(plain.sendUser(peer.user) && plain.sendPass(peer.pass));
        auto stat = plain.stat();
        ASSERT_TRUE(stat.has_value());
        plainCount = stat->count;
        plain.command("QUIT");
        plain.close();
    }
    for (bool implicit : {true, false}) {
        SCOPED_TRACE(implicit ? "implicit TLS" : "STLS");
        net::TlsResult result = openSecure(implicit, tls.goodHost);
        EXPECT_EQ(result.status, TlsStatus::Ok);
        EXPECT_EQ(result.problem, CertProblem::None);
        EXPECT_EQ(result.fingerprint, tls.goodFingerprint);
        // Not encrypted by now, it could not log in: the server reads nothing in clear past the handshake.
        EXPECT_TRUE(session.sendUser(peer.user));
        EXPECT_TRUE(session.sendPass(peer.pass));
        auto stat = session.stat();
        ASSERT_TRUE(stat.has_value());
        EXPECT_EQ(stat->count, plainCount);
        session.command("QUIT");
        session.close();
        ASSERT_TRUE(session.create(net::kSockStream, 0));
    }
}

TEST_F(TlsSessionTest, EachFaultyCertificateGivesItsReasonAndFingerprintAndClosesTheConnection) {
    const struct {
        std::string host;
        CertProblem problem;
        std::string fingerprint;
    } cases[] = {
        {tls.otherNameHost, CertProblem::WrongName, tls.otherNameFingerprint},
        {tls.expiredHost, CertProblem::Expired, tls.expiredFingerprint},
        {tls.selfSignedHost, CertProblem::UnknownIssuer, tls.selfSignedFingerprint},
    };
    for (bool implicit : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE((implicit ? "implicit TLS " : "STLS ") + c.host);
            net::TlsResult result = openSecure(implicit, c.host);
            EXPECT_EQ(result.status, TlsStatus::Untrusted);
            EXPECT_EQ(result.problem, c.problem);
            EXPECT_EQ(result.fingerprint, c.fingerprint);
            EXPECT_TRUE(testenv::socketReleased(session));
            EXPECT_FALSE(session.sendUser(peer.user)) << "nothing may be sent after an untrusted certificate";
            ASSERT_TRUE(session.create(net::kSockStream, 0));
        }
    }
}

TEST_F(TlsSessionTest, ATrustedFingerprintAcceptsExactlyThatCertificate) {
    // The self-signed certificate, trusted by its fingerprint, is accepted on its own server...
    net::TlsResult trusted = openSecure(true, tls.selfSignedHost, tls.selfSignedFingerprint);
    EXPECT_EQ(trusted.status, TlsStatus::Ok);
    EXPECT_EQ(trusted.problem, CertProblem::UnknownIssuer) << "the problem is still reported";
    EXPECT_TRUE(session.sendUser(peer.user));
    EXPECT_TRUE(session.sendPass(peer.pass));
    session.close();
    // ...but another certificate is checked normally, whatever fingerprint is trusted.
    ASSERT_TRUE(session.create(net::kSockStream, 0));
    net::TlsResult other = openSecure(false, tls.expiredHost, tls.selfSignedFingerprint);
    EXPECT_EQ(other.status, TlsStatus::Untrusted);
    EXPECT_EQ(other.problem, CertProblem::Expired);
}

// What the scripted peer's mailbox gives, whichever way its records travel.
TEST_F(TlsSessionTest, RepliesInSplitHugeAndCoalescedRecordsReadAsLines) {
    for (const char* scenario : {"plain", "split", "huge"}) {
        SCOPED_TRACE(scenario);
        net::TlsResult result;
        const char* greeting = session.openTls("127.0.0.1", tls.scriptedPort(scenario), "", result);
        ASSERT_NE(greeting, nullptr);
        ASSERT_EQ(result.status, TlsStatus::Ok);
        EXPECT_STREQ(greeting, "+OK scripted TLS peer ready");
        EXPECT_TRUE(session.sendUser("neko"));
        EXPECT_TRUE(session.sendPass("pass"));
        auto stat = session.stat();
        ASSERT_TRUE(stat.has_value());
        EXPECT_EQ(stat->count, 2);
        EXPECT_EQ(stat->size, 126);

        EXPECT_STREQ(session.command("TOP 1 5"), "+OK");
        std::vector<std::string> lines = readMultiLine();
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines.front(), "From: tama@example.jp");
        EXPECT_EQ(lines[1], "Subject: first");
        EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
                  (std::vector<std::string>{"", "Hello over TLS", "second line"}));
        if (std::string(scenario) == "huge") {
            std::size_t bytes = 0;
            for (const std::string& l : lines) {
                bytes += l.size() + 2;
            }
            EXPECT_GT(bytes, 15000u) << "the reply filled a maximum-size record";
        }
        EXPECT_STREQ(session.command("LIST"), "+OK");
        EXPECT_EQ(readMultiLine(), (std::vector<std::string>{"1 70", "2 56"}));
        EXPECT_STREQ(session.command("QUIT"), "+OK bye");
        session.close();
        ASSERT_TRUE(session.create(net::kSockStream, 0));
    }
}

// A TLS 1.2 server that asks for a new handshake between two lines of a multi-line reply: every line arrives in
// order and the session goes on under the new keys.
// The win32 tests run under Wine, whose Schannel cannot renegotiate (see below).
bool underWine() {
#ifdef _WIN32
    return !testenv::env("WINEPREFIX").empty();
#else
    return false;
#endif
}

// "renegotiatemid" sends the rest of the reply while the new handshake is still running.
TEST_F(TlsSessionTest, AServerRenegotiatingInsideAReplyLosesNoLineAndTheSessionGoesOn) {
    for (const char* scenario : {"renegotiate", "renegotiatemid"}) {
        SCOPED_TRACE(scenario);
        net::TlsResult result;
        const char* greeting = session.openTls("127.0.0.1", tls.scriptedPort(scenario), "", result);
        ASSERT_NE(greeting, nullptr);
        ASSERT_EQ(result.status, TlsStatus::Ok);
        EXPECT_STREQ(greeting, "+OK ready");
        EXPECT_STREQ(session.command("LIST"), "+OK");
        std::vector<std::string> lines = readMultiLine();
        if (underWine()) {
            // Wine's Schannel cannot renegotiate as a client: asked for its new hello with no server record in
            // hand it answers SEC_E_INCOMPLETE_MESSAGE and sends nothing (the server waits, then gives up), and
            // its GnuTLS fails on application data inside the new handshake ("TLS Application data were
            // received, while expecting handshake data"). The session must then end, never lose lines silently.
            EXPECT_EQ(lines, (std::vector<std::string>{"1 100"}));
            EXPECT_TRUE(testenv::socketReleased(session));
            session.close();
            ASSERT_TRUE(session.create(net::kSockStream, 0));
            continue;
        }
        EXPECT_EQ(lines, (std::vector<std::string>{"1 100", "2 200"}));
        EXPECT_STREQ(session.command("NOOP"), "+OK");
        EXPECT_STREQ(session.command("QUIT"), "+OK bye");
        session.close();
        ASSERT_TRUE(session.create(net::kSockStream, 0));
    }
}

TEST_F(TlsSessionTest, AConnectionCutInsideARecordFailsTheRead) {
    net::TlsResult result;
    ASSERT_NE(session.openTls("127.0.0.1", tls.scriptedPort("closemid"), "", result), nullptr);
    ASSERT_EQ(result.status, TlsStatus::Ok);
    EXPECT_TRUE(session.sendUser("neko"));
    EXPECT_FALSE(session.sendPass("pass")) << "half a record is no reply";
    EXPECT_TRUE(testenv::socketReleased(session));
}

TEST_F(TlsSessionTest, CloseNotifyInsideAMultiLineReplyEndsItWithoutItsDot) {
    net::TlsResult result;
    ASSERT_NE(session.openTls("127.0.0.1", tls.scriptedPort("closenotify"), "", result), nullptr);
    ASSERT_EQ(result.status, TlsStatus::Ok);
    ASSERT_TRUE(session.sendUser("neko") && session.sendPass("pass"));
    EXPECT_STREQ(session.command("TOP 1 5"), "+OK");
    std::string line;
    ASSERT_TRUE(session.readLine(line));
    EXPECT_EQ(line, "From: tama@example.jp");
    ASSERT_TRUE(session.readLine(line));
    EXPECT_EQ(line, "Subject: first");
    EXPECT_FALSE(session.readLine(line)) << "the session ended before the reply did";
    EXPECT_TRUE(testenv::socketReleased(session));
}

// Without a time-out only the close can end these: "drip" would take over a minute to finish its handshake.
TEST_F(TlsSessionTest, AStopEndsTheWaitForAServerThatSendsNothingOrDripsTheHandshake) {
    for (const char* scenario : {"hang", "drip"}) {
        SCOPED_TRACE(scenario);
        net::TlsResult result;
        const char* greeting = nullptr;
        std::thread worker([&] { greeting = session.openTls("127.0.0.1", tls.scriptedPort(scenario), "", result); });
        // Wherever the worker is (connecting, in the handshake or waiting for the greeting), the close ends it.
        session.close();
        worker.join();
        EXPECT_TRUE(testenv::socketReleased(session));
        EXPECT_FALSE(session.timedOut());
        if (greeting != nullptr && result.status == TlsStatus::Ok) {
            EXPECT_STREQ(greeting, "") << "no greeting can have arrived";
        }
        ASSERT_TRUE(session.create(net::kSockStream, 0));
    }
}

// Each byte of these arrives well within the time-out, but all of them would take a minute and more: the greeting
// and the handshake (with STLS: CAPA, STLS and the handshake) end at the time-out counted from their start.
TEST_F(TlsSessionTest, AServerDrippingTheHandshakeOrTheGreetingTimesOutWithinOneTimeOut) {
    constexpr int kTimeoutMs = 1500;
    enum class Opening { ImplicitTls, Stls, Plain };
    const struct {
        const char* scenario;  // the scripted peer's
        Opening opening;
    } cases[] = {{"drip", Opening::ImplicitTls}, {"dripstls", Opening::Stls}, {"dripgreeting", Opening::Plain}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        ASSERT_TRUE(c.opening == Opening::ImplicitTls || session.create(net::kSockStream, 0));
        session.setTimeout(kTimeoutMs);
        net::TlsResult result;
        if (c.opening == Opening::ImplicitTls) {
            ASSERT_NE(session.openTls("127.0.0.1", tls.scriptedPort(c.scenario), "", result), nullptr);
        } else {
            ASSERT_NE(session.open("127.0.0.1", tls.scriptedPort(c.scenario)), nullptr);
        }
        if (c.opening == Opening::Stls) {
            bool offered = false;
            result = session.upgradeWithStls("127.0.0.1", "", offered);
            EXPECT_TRUE(offered);
        }
        if (c.opening != Opening::Plain) {
            EXPECT_EQ(result.status, TlsStatus::HandshakeFailed);
        }
        EXPECT_TRUE(session.timedOut());
        EXPECT_TRUE(testenv::socketReleased(session));
        EXPECT_STREQ(session.command("STAT"), "-");
    }
    {
        SCOPED_TRACE("the limit covers the opening only");
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        session.setTimeout(kTimeoutMs);
        net::TlsResult result;
        ASSERT_NE(session.openTls("127.0.0.1", tls.scriptedPort("plain"), "", result), nullptr);
        ASSERT_EQ(result.status, TlsStatus::Ok);
        EXPECT_TRUE(session.sendUser("neko") && session.sendPass("pass"));
        EXPECT_STREQ(session.command("QUIT"), "+OK bye");
    }
}

// Schannel reports such a request as incomplete credentials; the handshake must go on without a certificate.
TEST_F(TlsSessionTest, AServerAskingForAnOptionalClientCertificateGetsNoneAndTheSessionGoesOn) {
    net::TlsResult result;
    const char* greeting = session.openTls("127.0.0.1", tls.scriptedPort("clientcert"), "", result);
    ASSERT_NE(greeting, nullptr);
    EXPECT_EQ(result.status, TlsStatus::Ok);
    EXPECT_STREQ(greeting, "+OK scripted TLS peer ready");
    EXPECT_TRUE(session.sendUser("neko"));
    EXPECT_TRUE(session.sendPass("pass"));
    auto stat = session.stat();
    ASSERT_TRUE(stat.has_value());
    EXPECT_EQ(stat->count, 2);
    EXPECT_STREQ(session.command("QUIT"), "+OK bye");
}

// The socket layer's time-out holds during the handshake, while waiting for the first record, and inside a record.
TEST_F(TlsSessionTest, AServerThatStopsAnsweringTimesOutWhereverTheTlsSessionIs) {
    constexpr int kTimeoutMs = 300;
    {
        SCOPED_TRACE("silent during the handshake");
        testenv::FakePop3Server silent("", {}, testenv::After::Hang);
        session.setTimeout(kTimeoutMs);
        net::TlsResult result;
        ASSERT_NE(session.openTls("127.0.0.1", silent.port(), "", result), nullptr);
        EXPECT_EQ(result.status, TlsStatus::HandshakeFailed);
        EXPECT_TRUE(session.timedOut());
        EXPECT_TRUE(testenv::socketReleased(session));
    }
    {
        SCOPED_TRACE("silent after the handshake");
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        session.setTimeout(kTimeoutMs);
        net::TlsResult result;
        const char* greeting = session.openTls("127.0.0.1", tls.scriptedPort("hang"), "", result);
        ASSERT_NE(greeting, nullptr);
        EXPECT_EQ(result.status, TlsStatus::Ok);
        EXPECT_STREQ(greeting, "");
        EXPECT_TRUE(session.timedOut());
        EXPECT_TRUE(testenv::socketReleased(session));
    }
    {
        SCOPED_TRACE("silent inside a record");
        ASSERT_TRUE(session.create(net::kSockStream, 0));
        session.setTimeout(kTimeoutMs);
        net::TlsResult result;
        ASSERT_NE(session.openTls("127.0.0.1", tls.scriptedPort("hangmid"), "", result), nullptr);
        ASSERT_EQ(result.status, TlsStatus::Ok);
        EXPECT_TRUE(session.sendUser("neko"));
        EXPECT_FALSE(session.timedOut());
        EXPECT_FALSE(session.sendPass("pass"));
        EXPECT_TRUE(session.timedOut());
        EXPECT_TRUE(testenv::socketReleased(session));
    }
}

}  // namespace
