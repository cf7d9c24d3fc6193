#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/scripted_socket_io.h"

// Whole checks against servers that send what a careless reader gets out of step with: over-long lines, silence,
// greetings whose timestamp is not one; and logins that would smuggle commands of their own onto the wire.
namespace {

using checktest::Calls;
using checktest::commandsOf;
using checktest::entry;
using checktest::failureCalls;
using checktest::startCalls;
using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;
using checktest::operator+;

const char kGreeting[] = "+OK ready <1.2@fake>\r\n";

Calls withoutPolls(const Calls& calls) {
    Calls result;
    for (const std::string& call : calls) {
        if (call != "poll") {
            result.push_back(call);
        }
    }
    return result;
}

std::vector<Exchange> emptyMailbox() {
    return {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "+OK 0 0\r\n"}, {"QUIT", "+OK\r\n"}};
}

class CheckInStepTest : public ::testing::Test {
protected:
    CheckInStepTest() {
        settings.server = "127.0.0.1";
        settings.user = "neko";
        settings.pass = "secret";
        settings.headCount = 2;
    }

    // One check against the server on a fresh session; what it called on its host.
    Calls check(FakePop3Server& server, checktest::RecordingHost& host) {
        settings.pop3Port = server.port();
        net::Pop3Session session(net::kAfInet);
        checktest::CheckWorker worker(session, settings, host);
        checktest::runCheck(worker);
        return host.calls();
    }

    settings::Settings settings;
};

TEST_F(CheckInStepTest, LinesLongerThanTheBufferAreCutAndEveryReplyStaysInStep) {
    const std::string longSubject(3000, 's');
    const std::string longBody(5000, 'b');
    std::vector<Exchange> script = {
        {"USER neko", "+OK " + std::string(1500, 'u') + "\r\n"},
        {"PASS secret", "+OK\r\n"},
        {"STAT", "+OK 2 999\r\n"},
        {"TOP 1 9", "+OK " + std::string(2000, 't') + "\r\nSubject: " + longSubject + "\r\nFrom: a\r\n\r\n" + longBody +
                        "\r\nsecond\r\n.\r\n"},
        {"TOP 2 9", "+OK\r\nSubject: short\r\nFrom: b\r\n\r\nbody\r\n.\r\n"},
        {"LIST", "+OK\r\n1 7000\r\n2 " + std::string(1500, '9') + "\r\n.\r\n"},
        {"QUIT", "+OK\r\n", After::Close},
    };
    FakePop3Server server(kGreeting, script);
    checktest::RecordingHost host;
    Calls calls = check(server, host);

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_NE(std::find(calls.begin(), calls.end(), "mail waiting 2"), calls.end());
    ASSERT_EQ(host.handedOver().size(), 1u);
    // Each line keeps its first 1023 characters.
    checktest::expectEntries(host.handedOver()[0],
                             {entry("a", longSubject.substr(0, 1023 - 9), longBody.substr(0, 1023) + " second ", 7000),
                              entry("b", "short", "body ", -1)});
}

TEST_F(CheckInStepTest, ALoginValueHoldingALineEndOrZeroIsRefusedBeforeAnythingIsSent) {
    const std::string zero(1, '\0');
    const struct {
        std::string user;
        std::string pass;
        bool apop;
        int errorCode;
    } cases[] = {
        {"neko", "secret\r\nDELE 1\r\nQUIT", false, mail::kErrPass},
        {"neko", "secret\nDELE 1", false, mail::kErrPass},
        {"neko", "secret\r", false, mail::kErrPass},
        {"neko", "sec" + zero + "ret", false, mail::kErrPass},
        {"neko\r\nDELE 1", "secret", false, mail::kErrUser},
        {"ne" + zero + "ko", "secret", false, mail::kErrUser},
        {"neko", "secret\r\nDELE 1", true, mail::kErrApopRefused},
        {"neko\r\nDELE 1", "secret", true, mail::kErrApopRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.errorCode) + (c.apop ? " APOP" : " USER/PASS"));
        // The server takes one connection: a clean check after the refused one proves the refused one never
        // connected.
        FakePop3Server server(kGreeting, emptyMailbox());
        settings.user = c.user;
        settings.pass = c.pass;
        settings.apop = c.apop;
        checktest::RecordingHost refusedHost;
        EXPECT_EQ(check(server, refusedHost), startCalls() + failureCalls(c.errorCode));

        settings.user = "neko";
        settings.pass = "secret";
        settings.apop = false;
        checktest::RecordingHost cleanHost;
        check(server, cleanHost);
        EXPECT_EQ(server.commands(), commandsOf(emptyMailbox()));
    }
}

TEST_F(CheckInStepTest, AnApopTimestampOfTheWrongShapeIsNotOffered) {
    settings.apop = true;
    for (const char* greeting :
         {"+OK <a>b>\r\n", "+OK <1.2@host name>\r\n", "+OK <1.2@\xA4\xA2>\r\n", "+OK <1.2@\x7F>\r\n", "+OK\r\n"}) {
        SCOPED_TRACE(greeting);
        FakePop3Server server(greeting, {});
        checktest::RecordingHost host;
        EXPECT_EQ(withoutPolls(check(server, host)),
                  withoutPolls(startCalls() + failureCalls(mail::kErrApopNoTimestamp)));
        EXPECT_EQ(server.commands(), Calls{"CAPA"}) << "nothing after CAPA";
    }
}

TEST_F(CheckInStepTest, AServerThatStopsAnsweringEndsTheCheckAfterTheTimeOut) {
    settings.timeoutSec = 1;
    const struct {
        const char* name;
        const char* greeting;
        std::vector<Exchange> script;
        After afterGreeting;
    } cases[] = {
        {"no greeting", "", {}, After::Hang},
        {"no reply to STAT",
         kGreeting,
         {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "", After::Hang}},
         After::Nothing},
        {"a TOP reply stops in the middle of a line",
         kGreeting,
         {{"USER neko", "+OK\r\n"},
          {"PASS secret", "+OK\r\n"},
          {"STAT", "+OK 1 99\r\n"},
          {"TOP 1 9", "+OK\r\nSubject: x\r\nFrom: y\r\n\r\nhalf a li", After::Hang}},
         After::Nothing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePop3Server server(c.greeting, c.script, c.afterGreeting);
        checktest::RecordingHost host;
        EXPECT_EQ(withoutPolls(check(server, host)), withoutPolls(startCalls() + failureCalls(mail::kErrTimeout)));
        EXPECT_EQ(server.commands(), commandsOf(c.script, c.afterGreeting != After::Hang));
    }
}

TEST_F(CheckInStepTest, AConnectThatTimesOutIsReportedAsTheServerNotAnswering) {
    testenv::ScriptedSocketIo io;
    io.connectTimesOut = true;
    settings.timeoutSec = 7;
    net::Pop3Session session(net::kAfInet, io);
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker);

    EXPECT_EQ(withoutPolls(host.calls()), withoutPolls(startCalls() + failureCalls(mail::kErrTimeout)));
    EXPECT_EQ(io.lastConnectTimeoutMs, 7000);
    EXPECT_TRUE(io.sent.empty());
}

}  // namespace
