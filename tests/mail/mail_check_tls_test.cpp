#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/test_env.h"

// Whole checks over TLS: against Dovecot with implicit TLS and STLS, against certificates that fail their
// checks, and against servers that offer no STLS, where the wire must show that no login line went out.
namespace {

using checktest::Calls;
using checktest::endCalls;
using checktest::failureCalls;
using checktest::startCalls;
using checktest::operator+;

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A failed check's calls as the host records them without its stop polls.
Calls failure(int errorCode) {
    Calls calls;
    for (const std::string& call : failureCalls(errorCode)) {
        if (call != "poll") {
            calls.push_back(call);
        }
    }
    return calls;
}

class MailCheckTlsTest : public checktest::DovecotCheckTest {
protected:
    void SetUp() override {
        DovecotCheckTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        bool ok = false;
        tls = testenv::tlsPeers(&ok);
        if (!ok) {
            GTEST_SKIP();
        }
        std::vector<std::string> samples;
        for (const auto& sample : mailbox->samples()) {
            samples.push_back(sample.second);
        }
        mailbox->reset(samples);
    }

    // Runs one check with the current settings; the host's calls (without the stop polls).
    Calls check(checktest::RecordingHost& host) {
        checktest::CheckWorker worker(session, settings, host);
        checktest::runCheck(worker);
        return host.callsWithoutPolls();
    }

    void useTls(int mode, const std::string& host) {
        settings.sslMode = mode;
        settings.server = host;
        settings.pop3Port = mode == mail::kSslImplicit ? tls.implicitPort : tls.stlsPort;
    }

    // The host's record of an untrusted certificate met at the current server and port.
    std::string untrusted(int problem, const std::string& fingerprint) const {
        return "untrusted " + std::to_string(problem) + " " + fingerprint + " " + settings.server + ":" +
               std::to_string(settings.pop3Port);
    }

    testenv::TlsPeers tls;
    net::Pop3Session session{net::kAfInet};
};

// With APOP too: its timestamp comes from the greeting, which CAPA and STLS have answered over since.
TEST_F(MailCheckTlsTest, BothTlsModesGiveTheSameSummariesAsPlainText) {
    for (bool apop : {false, true}) {
        SCOPED_TRACE(apop ? "APOP" : "USER/PASS");
        settings.apop = apop;
        settings.sslMode = mail::kSslNone;
        settings.server = peer.host;
        settings.pop3Port = peer.port;
        checktest::RecordingHost plainHost;
        Calls plainCalls = check(plainHost);
        ASSERT_EQ(plainHost.handedOver().size(), 1u);
        const mail::MailEntryList expected = plainHost.handedOver()[0];
        ASSERT_FALSE(expected.empty());
        std::vector<mail::MailEntry> expectedEntries(expected.begin(), expected.end());

        for (int mode : {mail::kSslImplicit, mail::kSslStls}) {
            SCOPED_TRACE(mode == mail::kSslImplicit ? "implicit TLS" : "STLS");
            useTls(mode, tls.goodHost);
            checktest::RecordingHost host;
            EXPECT_EQ(check(host), plainCalls);
            ASSERT_EQ(host.handedOver().size(), 1u);
            checktest::expectEntries(host.handedOver()[0], expectedEntries);
        }
    }
}

TEST_F(MailCheckTlsTest, AnUntrustedCertificateIsReportedAndOnceTrustedItsServerIsChecked) {
    for (int mode : {mail::kSslImplicit, mail::kSslStls}) {
        SCOPED_TRACE(mode == mail::kSslImplicit ? "implicit TLS" : "STLS");
        useTls(mode, tls.selfSignedHost);
        settings.trustedCert = mail::TrustedCertificate{};
        checktest::RecordingHost refused;
        EXPECT_EQ(check(refused),
                  startCalls() + Calls{untrusted(1, tls.selfSignedFingerprint)} + failure(mail::kErrCertUntrusted));

        // What the user's "Yes" stores: from then on this certificate is accepted for this server.
        settings.trustedCert = mail::TrustedCertificate{tls.selfSignedFingerprint, settings.server, settings.pop3Port};
        checktest::RecordingHost accepted;
        Calls calls = check(accepted);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - endCalls().size() - 1].substr(0, 12), "mail waiting");

        // Another certificate with a fault is still refused, with its own reason.
        useTls(mode, tls.expiredHost);
        checktest::RecordingHost expired;
        EXPECT_EQ(check(expired),
                  startCalls() + Calls{untrusted(2, tls.expiredFingerprint)} + failure(mail::kErrCertUntrusted));
        useTls(mode, tls.otherNameHost);
        checktest::RecordingHost otherName;
        EXPECT_EQ(check(otherName),
                  startCalls() + Calls{untrusted(3, tls.otherNameFingerprint)} + failure(mail::kErrCertUntrusted));
    }
}

// A pin counts for the server and port it was trusted for, and for no other: not for the same certificate met at
// another address, nor at another port of the same one.
TEST_F(MailCheckTlsTest, APinTrustedForOneServerIsNotAcceptedForAnother) {
    for (int mode : {mail::kSslImplicit, mail::kSslStls}) {
        SCOPED_TRACE(mode == mail::kSslImplicit ? "implicit TLS" : "STLS");
        useTls(mode, tls.selfSignedHost);
        const int port = settings.pop3Port;
        const int otherPort = mode == mail::kSslImplicit ? tls.stlsPort : tls.implicitPort;
        const struct {
            const char* name;
            mail::TrustedCertificate pin;
            bool accepted;
        } cases[] = {
            {"its own server", {tls.selfSignedFingerprint, tls.selfSignedHost, port}, true},
            {"upper-case fingerprint", {upper(tls.selfSignedFingerprint), tls.selfSignedHost, port}, true},
            {"another address", {tls.selfSignedFingerprint, tls.goodHost, port}, false},
            {"another port", {tls.selfSignedFingerprint, tls.selfSignedHost, otherPort}, false},
            {"a name that is longer", {tls.selfSignedFingerprint, tls.selfSignedHost + ".", port}, false},
            {"no server", {tls.selfSignedFingerprint, "", port}, false},
            {"another certificate", {tls.expiredFingerprint, tls.selfSignedHost, port}, false},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            settings.trustedCert = c.pin;
            checktest::RecordingHost host;
            Calls calls = check(host);
            if (c.accepted) {
                ASSERT_GE(calls.size(), endCalls().size() + 1);
                EXPECT_EQ(calls[calls.size() - endCalls().size() - 1].substr(0, 12), "mail waiting");
            } else {
                EXPECT_EQ(calls, startCalls() + Calls{untrusted(1, tls.selfSignedFingerprint)} +
                                     failure(mail::kErrCertUntrusted));
            }
        }
    }
}

TEST_F(MailCheckTlsTest, ImplicitTlsAgainstAPlainTextPortFailsTheHandshake) {
    settings.sslMode = mail::kSslImplicit;  // the plain Dovecot greets in clear text
    checktest::RecordingHost host;
    EXPECT_EQ(check(host), startCalls() + failure(mail::kErrTls));
}

// A server silent after the handshake ends in the time-out. So does one that sends its handshake (or greeting) a
// byte at a time, each well within the time-out, which would keep the check for a minute and more: the opening
// has the time-out in total.
TEST_F(MailCheckTlsTest, AServerSilentOrDrippingTheOpeningEndsInTheTimeOut) {
    const struct {
        const char* scenario;
        int mode;
    } cases[] = {
        {"hang", mail::kSslImplicit},
        {"drip", mail::kSslImplicit},
        {"dripstls", mail::kSslStls},
        {"dripgreeting", mail::kSslNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        settings.sslMode = c.mode;
        settings.server = "127.0.0.1";
        settings.pop3Port = tls.scriptedPort(c.scenario);
        settings.timeoutSec = 2;
        checktest::RecordingHost host;
        EXPECT_EQ(check(host), startCalls() + failure(mail::kErrTimeout));
    }
}

TEST_F(MailCheckTlsTest, AServerAskingForAnOptionalClientCertificateIsChecked) {
    settings.sslMode = mail::kSslImplicit;
    settings.server = "127.0.0.1";
    settings.pop3Port = tls.scriptedPort("clientcert");
    checktest::RecordingHost host;
    EXPECT_EQ(check(host), (startCalls() + Calls{"hand over 2", "mail waiting 2"} + endCalls()));
}

TEST_F(MailCheckTlsTest, DovecotWithoutStlsGetsNoLogin) {
    settings.sslMode = mail::kSslStls;  // the plain Dovecot does not offer STLS
    checktest::RecordingHost host;
    EXPECT_EQ(check(host), startCalls() + failure(mail::kErrStlsUnavailable));
}

// The fake server records every line that arrived: the check stops after CAPA (or STLS), before USER or APOP.
TEST_F(MailCheckTlsTest, AServerThatDoesNotOfferOrRefusesStlsReceivesNoCredentials) {
    const struct {
        const char* name;
        std::vector<testenv::Exchange> script;
        Calls wire;
    } cases[] = {
        {"no STLS listed", {{"CAPA", "+OK\r\nTOP\r\nUSER\r\nUIDL\r\n.\r\n"}}, {"CAPA"}},
        {"CAPA refused", {{"CAPA", "-ERR no\r\n"}}, {"CAPA"}},
        {"STLS refused", {{"CAPA", "+OK\r\nSTLS\r\n.\r\n"}, {"STLS", "-ERR not now\r\n"}}, {"CAPA", "STLS"}},
    };
    for (bool apop : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (apop ? " (APOP)" : " (USER/PASS)"));
            testenv::FakePop3Server server("+OK ready <1.2@fake>\r\n", c.script);
            settings.sslMode = mail::kSslStls;
            settings.apop = apop;
            settings.server = "127.0.0.1";
            settings.pop3Port = server.port();
            checktest::RecordingHost host;
            EXPECT_EQ(check(host), startCalls() + failure(mail::kErrStlsUnavailable));
            EXPECT_EQ(server.commands(), c.wire);
        }
    }
}

}  // namespace
