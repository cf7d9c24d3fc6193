#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"

// What happens to the user's ticks when the server does not play along: a list from another mailbox, ids that
// changed, replies that are neither "+OK" nor "-ERR". One runner, one row per case: the server's script, the
// commands it must receive, what the check tells its host and which mails stay listed.
namespace {

using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;
using Calls = std::vector<std::string>;
using Script = std::vector<Exchange>;

const char kNoCapa[] = "-ERR\r\n";
const char kUidl[] = "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
const char kUidlPipelining[] = "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\nUSER\r\n.\r\n";

// The server side of a check of messages 1..count whose ids (with UIDL) are `ids`: login, STAT, UIDL, the TOPs
// and LIST. What follows (DELE, QUIT) the row says.
Script listing(int count, const std::vector<std::string>& ids = {}) {
    Script script = {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}};
    script.push_back({"STAT", "+OK " + std::to_string(count) + " 999\r\n"});
    if (!ids.empty()) {
        std::string reply = "+OK\r\n";
        for (std::size_t k = 1; k <= ids.size(); ++k) {
            reply += std::to_string(k) + " " + ids[k - 1] + "\r\n";
        }
        script.push_back({"UIDL", reply + ".\r\n"});
    }
    for (int k = 1; k <= count; ++k) {
        script.push_back({"TOP " + std::to_string(k) + " 9", checktest::topReply(k)});
    }
    std::string sizes = "+OK\r\n";
    for (int k = 1; k <= count; ++k) {
        sizes += std::to_string(k) + " " + std::to_string(100 + k) + "\r\n";
    }
    script.push_back({"LIST", sizes + ".\r\n"});
    return script;
}

Script operator+(Script left, const Script& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

const Exchange kQuit{"QUIT", "+OK\r\n", After::Close};

struct Row {
    const char* name;
    const char* capa;
    // The list the user ticked: messages 1..listed (with `listedIds` as their ids, when given), ticks on `marks`.
    int listed;
    std::vector<std::string> listedIds;
    std::vector<int> marks;
    // The list came from another user's mailbox on the same server and port.
    bool otherMailbox;
    Script script;          // after CAPA
    Calls calls;            // what the check tells its host between its start and its end, stop polls left out
    std::vector<int> left;  // the messages still listed afterwards
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.name;
}

class MarkedMailTableTest : public ::testing::TestWithParam<Row> {};

TEST_P(MarkedMailTableTest, TicksReachOnlyTheirOwnMailAndEveryDoubtIsTold) {
    const Row& row = GetParam();
    const Script script = Script{{"CAPA", row.capa}} + row.script;
    FakePop3Server server("+OK ready\r\n", script);
    Settings settings;
    settings.server = "127.0.0.1";
    settings.pop3Port = server.port();
    settings.user = "neko";
    settings.pass = "secret";
    settings.headCount = 2;

    const auto listedFrom = std::make_shared<const mail::MailboxId>(
        mail::MailboxId{settings.server, settings.pop3Port, row.otherMailbox ? "tora" : settings.user});
    mail::MailEntryList previous;
    for (int k = 1; k <= row.listed; ++k) {
        const std::string n = std::to_string(k);
        mail::MailEntry entry = checktest::entry("sender " + n, "subject " + n, "body " + n + " ", 100 + k);
        entry.deleteMark = std::count(row.marks.begin(), row.marks.end(), k) > 0;
        entry.uniqueId = row.listedIds.empty() ? "" : row.listedIds[k - 1];
        entry.mailbox = listedFrom;
        previous.push_back(entry);
    }
    net::Pop3Session session(net::kAfInet);
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheckAsListed(worker, previous);

    Calls commands;
    for (const Exchange& exchange : script) {
        commands.push_back(exchange.command);
    }
    EXPECT_EQ(server.commands(), commands);
    using checktest::operator+;
    EXPECT_EQ(host.callsWithoutPolls(), checktest::startCalls() + row.calls + checktest::endCalls());
    std::vector<std::string> left;
    for (const mail::MailEntryList& list : host.handedOver()) {
        for (const mail::MailEntry& entry : list) {
            left.push_back(entry.subject);
            EXPECT_FALSE(entry.deleteMark);
            ASSERT_NE(entry.mailbox, nullptr) << "every listed entry names its mailbox";
            EXPECT_TRUE(entry.mailbox->sameAs(mail::MailboxId{"127.0.0.1", settings.pop3Port, "neko"}));
        }
    }
    std::vector<std::string> expectedLeft;
    for (int k : row.left) {
        expectedLeft.push_back("subject " + std::to_string(k));
    }
    EXPECT_EQ(left, expectedLeft);
}

const Calls kFailedTop = {"clear started by timer", "show idle", "status (title)", "hand over 0", "failed 6"};

INSTANTIATE_TEST_SUITE_P(
    Rows,
    MarkedMailTableTest,
    ::testing::Values(
        // A list from another mailbox (the settings changed while it was open) never deletes, with or without ids.
        Row{"OtherMailboxPlain",
            kNoCapa,
            3,
            {},
            {2},
            true,
            listing(3) + Script{kQuit},
            {"deletion refused", "hand over 3", "mail waiting 3"},
            {1, 2, 3}},
        Row{"OtherMailboxByIds",
            kUidlPipelining,
            3,
            {"1", "2", "3"},
            {1, 3},
            true,
            listing(3, {"1", "2", "3"}) + Script{kQuit},
            {"deletion refused", "hand over 3", "mail waiting 3"},
            {1, 2, 3}},
        Row{"OtherMailboxWithoutTicksSaysNothing",
            kNoCapa,
            3,
            {},
            {},
            true,
            listing(2) + Script{kQuit},
            {"hand over 2", "mail waiting 2"},
            {1, 2}},
        // Ids the server renumbered: the ticked mail may still be there under its new id, so the user hears of it.
        Row{"RenumberedIds",
            kUidl,
            2,
            {"1", "2"},
            {1},
            false,
            listing(2, {"a1", "a2"}) + Script{kQuit},
            {"deletion refused", "hand over 2", "mail waiting 2"},
            {1, 2}},
        Row{"OneTickedIdGoneTheOtherDeleted",
            kUidl,
            2,
            {"1", "2"},
            {1, 2},
            false,
            listing(1, {"2"}) + Script{{"DELE 1", "+OK\r\n"}, kQuit},
            {"deletion refused", "hand over 0", "no mail"},
            {}},
        // A DELE reply that is neither "+OK" nor "-ERR": no QUIT, so the server deletes nothing, and nothing leaves
        // the list.
        Row{"GarbledDeleReply",
            kNoCapa,
            3,
            {},
            {1, 3},
            false,
            listing(3) + Script{{"DELE 1", "+OK\r\n"}, {"DELE 3", "\r\n"}},
            {"deletion refused", "hand over 3", "mail waiting 3"},
            {1, 2, 3}},
        Row{"GarbledDeleReplyInAWindow",
            kUidlPipelining,
            3,
            {"a", "b", "c"},
            {1, 2, 3},
            false,
            listing(3, {"a", "b", "c"}) +
                Script{{"DELE 1", "+OK\r\n"}, {"DELE 2", "OK\r\n"}, {"DELE 3", "+OK\r\n", After::Hang}},
            {"deletion refused", "hand over 3", "mail waiting 3"},
            {1, 2, 3}},
        Row{"LowerCaseRepliesAreReplies",
            kNoCapa,
            2,
            {},
            {2},
            false,
            listing(2) + Script{{"DELE 2", "+ok\r\n"}, kQuit},
            {"hand over 1", "mail waiting 1"},
            {1}},
        Row{"GarbledTopReplyFailsTheCheck",
            kNoCapa,
            0,
            {},
            {},
            false,
            Script{{"USER neko", "+OK\r\n"},
                   {"PASS secret", "+OK\r\n"},
                   {"STAT", "+OK 1 9\r\n"},
                   {"TOP 1 9", "Subject: no status line\r\n"}},
            kFailedTop,
            {}},
        // The title counts the mails still waiting, not STAT's count from before the deletion.
        Row{"OneOfFiveDeleted",
            kNoCapa,
            5,
            {},
            {3},
            false,
            listing(5) + Script{{"DELE 3", "+OK\r\n"}, kQuit},
            {"hand over 4", "mail waiting 4"},
            {1, 2, 4, 5}}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
