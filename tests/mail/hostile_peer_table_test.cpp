#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "net/capabilities.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"

// Whole checks against servers that misbehave on purpose, played by the fake server: one runner, one row per
// server. Each row says what the server sends, which commands it must receive, and how the check ends.
namespace {

using testenv::After;
using testenv::Exchange;
using Calls = std::vector<std::string>;
using Script = std::vector<Exchange>;

struct HostileRow {
    const char* name;
    std::string greeting;  // raw bytes sent on connect
    Script script;         // the fake server's exchanges, CAPA included
    Calls commands;        // every command line the server receives, in order
    int result;            // the posted command: kCmdNoMail, kCmdMailWaiting or kCmdCheckFailed
    long parameter;        // its parameter: the message count, or the error code
    std::size_t listSize;  // entries in the list handed over with the result
    // Settings of the check beyond the fake server's address and the login below (none when empty).
    std::function<void(Settings&)> configure;
    After afterGreeting = After::Nothing;  // what the server does once it has greeted
};

const char kGreeting[] = "+OK hostile <3.3@fake>\r\n";
const char kPlainCapa[] = "+OK\r\nTOP\r\nUSER\r\n.\r\n";
const char kUidlCapa[] = "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
const char kTop[] = "+OK\r\nSubject: hello\r\nFrom: tama\r\n\r\nbody\r\n.\r\n";

// Lines "<k> <text><k>" for k = first .. last, each ended by CR LF.
std::string numberedLines(int first, int last, const std::string& text) {
    std::string lines;
    for (int k = first; k <= last; ++k) {
        lines += std::to_string(k) + " " + text + std::to_string(k) + "\r\n";
    }
    return lines;
}

// A CAPA reply of `count` lines of no known capability, then `last` when given.
std::string capaOf(std::size_t count, const std::string& last = "") {
    std::string reply = "+OK\r\n";
    for (std::size_t k = 1; k <= count; ++k) {
        reply += "X-NOTHING-" + std::to_string(k) + "\r\n";
    }
    return reply + last + ".\r\n";
}

Calls commandsOf(const Script& script) {
    Calls commands;
    for (const Exchange& exchange : script) {
        commands.push_back(exchange.command);
    }
    return commands;
}

// The login and STAT every row's server goes through after CAPA.
Script loginAndStat(const std::string& capa, int count) {
    return {{"CAPA", capa},
            {"USER neko", "+OK\r\n"},
            {"PASS secret", "+OK\r\n"},
            {"STAT", "+OK " + std::to_string(count) + " 300\r\n"}};
}

Script operator+(Script left, const Script& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

std::vector<HostileRow> rows() {
    // Far more lines than any bound, yet few enough to fit the loopback's buffers: the server's send then never
    // blocks on a client that stopped reading (Wine does not always wake a send blocked on a reset connection).
    // That no line beyond a bound is read is counted in the net and list tests.
    constexpr int kFlood = 2000;
    const Script uidlFlood =
        loginAndStat(kUidlCapa, 1) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, kFlood, "id-") + ".\r\n"}};
    const Script uidlOneOver =
        loginAndStat(kUidlCapa, 2) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, 3, "id-") + ".\r\n"}};
    const Script listFlood = loginAndStat(kPlainCapa, 1) +
                             Script{{"TOP 1 9", kTop}, {"LIST", "+OK\r\n" + numberedLines(1, kFlood, "1") + ".\r\n"}};
    const Script listOneOver =
        loginAndStat(kPlainCapa, 2) +
        Script{{"TOP 1 9", kTop}, {"TOP 2 9", kTop}, {"LIST", "+OK\r\n1 10\r\n2 20\r\n3 30\r\n.\r\n"}};
    const Script listShort = loginAndStat(kPlainCapa, 2) + Script{{"TOP 1 9", kTop},
                                                                  {"TOP 2 9", kTop},
                                                                  {"LIST", "+OK\r\n1 10\r\n.\r\n"},
                                                                  {"QUIT", "+OK\r\n", After::Close}};
    const Script uidlNegative =
        loginAndStat(kUidlCapa, -1) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, kFlood, "id-") + ".\r\n"}};
    const Script capaFlood = {{"CAPA", capaOf(kFlood)}};
    const Script capaAtBound =
        loginAndStat(capaOf(net::kMaxCapabilityLines - 1, "UIDL\r\n"), 1) + Script{{"UIDL", "+OK\r\n1 only\r\n.\r\n"},
                                                                                   {"TOP 1 9", kTop},
                                                                                   {"LIST", "+OK\r\n1 10\r\n.\r\n"},
                                                                                   {"QUIT", "+OK\r\n", After::Close}};
    return {
        {"UIDL with far more lines than STAT announced", kGreeting, uidlFlood, commandsOf(uidlFlood),
         mail::kCmdCheckFailed, mail::kErrStat, 0, nullptr},
        {"UIDL with one line more than STAT announced", kGreeting, uidlOneOver, commandsOf(uidlOneOver),
         mail::kCmdCheckFailed, mail::kErrStat, 0, nullptr},
        {"LIST with far more lines than STAT announced", kGreeting, listFlood, commandsOf(listFlood),
         mail::kCmdCheckFailed, mail::kErrStat, 0, nullptr},
        {"LIST with one line more than STAT announced", kGreeting, listOneOver, commandsOf(listOneOver),
         mail::kCmdCheckFailed, mail::kErrStat, 0, nullptr},
        {"LIST with fewer lines than STAT announced leaves sizes 0", kGreeting, listShort, commandsOf(listShort),
         mail::kCmdMailWaiting, 2, 2, nullptr},
        // The connection is dropped in the middle of the reply, so the login that follows cannot be sent.
        {"CAPA flood", kGreeting, capaFlood, commandsOf(capaFlood), mail::kCmdCheckFailed, mail::kErrUser, 0, nullptr},
        {"CAPA flood with APOP", kGreeting, capaFlood, commandsOf(capaFlood), mail::kCmdCheckFailed,
         mail::kErrApopRefused, 0, [](Settings& settings) { settings.apop = true; }},
        {"UIDL after a negative STAT count", kGreeting, uidlNegative, commandsOf(uidlNegative), mail::kCmdCheckFailed,
         mail::kErrStat, 0, nullptr},
        {"CAPA exactly at its bound is read whole", kGreeting, capaAtBound, commandsOf(capaAtBound),
         mail::kCmdMailWaiting, 1, 1, nullptr},
    };
}

TEST(HostilePeerTable, EachServerGetsTheExpectedCommandsAndTheCheckEndsAsExpected) {
    for (const HostileRow& row : rows()) {
        SCOPED_TRACE(row.name);
        testenv::FakePop3Server server(row.greeting, row.script, row.afterGreeting);
        Settings settings;
        settings.server = "127.0.0.1";
        settings.pop3Port = server.port();
        settings.user = "neko";
        settings.pass = "secret";
        settings.headCount = 2;
        if (row.configure) {
            row.configure(settings);
        }
        net::Pop3Session session{net::kAfInet};
        checktest::RecordingHost host;
        {
            checktest::CheckWorker worker(session, settings, host);
            checktest::runCheck(worker);
        }
        EXPECT_EQ(server.commands(), row.commands);
        const std::string posted = "post " + std::to_string(row.result) + " " + std::to_string(row.parameter);
        Calls posts;
        for (const std::string& call : host.callsWithoutPolls()) {
            if (call.compare(0, 5, "post ") == 0) {
                posts.push_back(call);
            }
        }
        EXPECT_EQ(posts, Calls{posted});
        const auto lists = host.handedOver();
        ASSERT_EQ(lists.size(), 1u);
        EXPECT_EQ(lists.front().size(), row.listSize);
    }
}

}  // namespace
