#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "net/capabilities.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"

// Whole checks against servers that misbehave on purpose, played by the fake server: replies longer than they may
// be, ids that changed, replies that are neither "+OK" nor "-ERR", and a ticked list from another mailbox. One
// runner, one row per case: what the server sends, the commands it must receive, what the check tells its host and
// which mails stay listed.
namespace {

using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;
using Calls = std::vector<std::string>;
using Script = std::vector<Exchange>;

const char kNoCapa[] = "-ERR\r\n";
const char kPlainCapa[] = "+OK\r\nTOP\r\nUSER\r\n.\r\n";
const char kUidl[] = "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
const char kUidlPipelining[] = "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\nUSER\r\n.\r\n";
const Exchange kQuit{"QUIT", "+OK\r\n", After::Close};

Script operator+(Script left, const Script& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

// CAPA answered by `capa`, the login and STAT.
Script loginAndStat(const std::string& capa, int count) {
    return {{"CAPA", capa},
            {"USER neko", "+OK\r\n"},
            {"PASS secret", "+OK\r\n"},
            {"STAT", "+OK " + std::to_string(count) + " 999\r\n"}};
}

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

// The server side of a check of messages 1..count ("subject <k>"), whose ids (with UIDL) are `ids`: CAPA, login,
// STAT, UIDL, the TOPs and LIST (LIST right after UIDL when the server offers PIPELINING). What follows (DELE,
// QUIT) the row says.
Script listing(const std::string& capa, int count, const std::vector<std::string>& ids = {}) {
    Script script = loginAndStat(capa, count);
    if (!ids.empty()) {
        std::string reply = "+OK\r\n";
        for (std::size_t k = 1; k <= ids.size(); ++k) {
            reply += std::to_string(k) + " " + ids[k - 1] + "\r\n";
        }
        script.push_back({"UIDL", reply + ".\r\n"});
    }
    std::string sizes = "+OK\r\n";
    for (int k = 1; k <= count; ++k) {
        sizes += std::to_string(k) + " " + std::to_string(100 + k) + "\r\n";
    }
    const bool pipelining = capa == kUidlPipelining;
    if (pipelining) {
        script.push_back({"LIST", sizes + ".\r\n"});
    }
    for (int k = 1; k <= count; ++k) {
        script.push_back({"TOP " + std::to_string(k) + " 9", checktest::topReply(k)});
    }
    if (!pipelining) {
        script.push_back({"LIST", sizes + ".\r\n"});
    }
    return script;
}

// What the check tells its host when it fails with `code`, stop polls left out.
Calls failedWith(int code) {
    return {"clear started by timer", "show idle", "status (title)", "hand over 0", "failed " + std::to_string(code)};
}

// What the check tells its host when `count` mails stay listed, after `before` (a refused deletion).
Calls listed(std::size_t count, Calls before = {}) {
    before.push_back("hand over " + std::to_string(count));
    before.push_back(count == 0 ? "no mail" : "mail waiting " + std::to_string(count));
    return before;
}

// The list the user ticked before this check: messages 1..count ("subject <k>"), with `ids` as their ids when
// given, the ticks on `marks`, and read from another user's mailbox on the same server when `otherMailbox`.
struct Ticked {
    int count = 0;
    std::vector<std::string> ids;
    std::vector<int> marks;
    bool otherMailbox = false;
};

struct Row {
    const char* name;
    Script script;          // the fake server's exchanges, CAPA included; the commands it must receive
    Calls calls;            // what the check tells its host between its start and its end, stop polls left out
    std::vector<int> left;  // the messages ("subject <k>") still listed afterwards
    Ticked ticked = {};     // the list the check works from
    std::function<void(settings::Settings&)> configure =
        nullptr;  // settings beyond the server, the login and two lines
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.name;
}

std::vector<Row> rows() {
    // Far more lines than any bound, yet few enough to fit the loopback's buffers: the server's send then never
    // blocks on a client that stopped reading (Wine does not always wake a send blocked on a reset connection).
    // That no line beyond a bound is read is counted in the net and list tests.
    constexpr int kFlood = 2000;
    const std::string top1 = checktest::topReply(1);
    const std::string top2 = checktest::topReply(2);
    const Calls refused = {"deletion refused"};
    return {
        // Replies longer than STAT announced fail the check without reading on; a short LIST leaves sizes 0.
        {"UidlFlood",
         loginAndStat(kUidl, 1) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, kFlood, "id-") + ".\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"UidlOneOver",
         loginAndStat(kUidl, 2) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, 3, "id-") + ".\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"UidlAfterANegativeCount",
         loginAndStat(kUidl, -1) + Script{{"UIDL", "+OK\r\n" + numberedLines(1, kFlood, "id-") + ".\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"ListFlood",
         loginAndStat(kPlainCapa, 1) +
             Script{{"TOP 1 9", top1}, {"LIST", "+OK\r\n" + numberedLines(1, kFlood, "1") + ".\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"ListOneOver",
         loginAndStat(kPlainCapa, 2) +
             Script{{"TOP 1 9", top1}, {"TOP 2 9", top2}, {"LIST", "+OK\r\n1 10\r\n2 20\r\n3 30\r\n.\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"ListShortLeavesSizesZero",
         loginAndStat(kPlainCapa, 2) +
             Script{{"TOP 1 9", top1}, {"TOP 2 9", top2}, {"LIST", "+OK\r\n1 10\r\n.\r\n"}, kQuit},
         listed(2),
         {1, 2}},
        // Sent ahead with STAT and UIDL, LIST keeps the same bounds; refused, it leaves every size at 0.
        {"ListFloodAhead",
         loginAndStat(kUidlPipelining, 1) +
             Script{{"UIDL", "+OK\r\n1 a\r\n.\r\n"}, {"LIST", "+OK\r\n" + numberedLines(1, kFlood, "1") + ".\r\n"}},
         failedWith(mail::kErrStat),
         {}},
        {"ListRefusedAhead",
         loginAndStat(kUidlPipelining, 2) + Script{{"UIDL", "+OK\r\n1 a\r\n2 b\r\n.\r\n"},
                                                   {"LIST", "-ERR not now\r\n"},
                                                   {"TOP 1 9", top1},
                                                   {"TOP 2 9", top2},
                                                   kQuit},
         listed(2),
         {1, 2}},
        // USER and PASS go out in one write; their replies still decide in turn, with the codes of the plain login.
        {"UserRefusedInAPipelinedLogin",
         Script{{"CAPA", kUidlPipelining}, {"USER neko", "-ERR who?\r\n"}, {"PASS secret", "-ERR\r\n"}},
         failedWith(mail::kErrUser),
         {}},
        {"PassRefusedInAPipelinedLogin",
         Script{{"CAPA", kUidlPipelining},
                {"USER neko", "+OK\r\n"},
                {"PASS secret", "-ERR [AUTH] no\r\n"},
                {"STAT", "", After::Close}},  // sent once USER was accepted
         failedWith(mail::kErrPass),
         {}},
        {"ClosedBeforeThePassReplyInAPipelinedLogin",
         Script{{"CAPA", kUidlPipelining}, {"USER neko", "+OK\r\n"}, {"PASS secret", "", After::Close}},
         failedWith(mail::kErrPass),
         {}},
        // The connection is dropped in the middle of a CAPA flood, so the login that follows cannot be sent.
        {"CapaFlood", Script{{"CAPA", capaOf(kFlood)}}, failedWith(mail::kErrUser), {}},
        {"CapaFloodWithApop",
         Script{{"CAPA", capaOf(kFlood)}},
         failedWith(mail::kErrApopRefused),
         {},
         {},
         [](settings::Settings& settings) { settings.apop = true; }},
        {"CapaAtItsBoundIsReadWhole",
         loginAndStat(capaOf(net::kMaxCapabilityLines - 1, "UIDL\r\n"), 1) +
             Script{{"UIDL", "+OK\r\n1 only\r\n.\r\n"}, {"TOP 1 9", top1}, {"LIST", "+OK\r\n1 10\r\n.\r\n"}, kQuit},
         listed(1),
         {1}},
        // A list from another mailbox (the settings changed while it was open) never deletes, with or without ids.
        {"OtherMailboxPlain", listing(kNoCapa, 3) + Script{kQuit}, listed(3, refused), {1, 2, 3}, {3, {}, {2}, true}},
        {"OtherMailboxByIds",
         listing(kUidlPipelining, 3, {"1", "2", "3"}) + Script{kQuit},
         listed(3, refused),
         {1, 2, 3},
         {3, {"1", "2", "3"}, {1, 3}, true}},
        {"OtherMailboxWithoutTicksSaysNothing",
         listing(kNoCapa, 2) + Script{kQuit},
         listed(2),
         {1, 2},
         {3, {}, {}, true}},
        // Ids the server renumbered: the ticked mail may still be there under its new id, so the user hears of it.
        {"RenumberedIds",
         listing(kUidl, 2, {"a1", "a2"}) + Script{kQuit},
         listed(2, refused),
         {1, 2},
         {2, {"1", "2"}, {1}}},
        {"OneTickedIdGoneTheOtherDeleted",
         listing(kUidl, 1, {"2"}) + Script{{"DELE 1", "+OK\r\n"}, kQuit},
         listed(0, refused),
         {},
         {2, {"1", "2"}, {1, 2}}},
        // A DELE reply that is neither "+OK" nor "-ERR": no QUIT, so the server deletes nothing, and nothing leaves
        // the list.
        {"GarbledDeleReply",
         listing(kNoCapa, 3) + Script{{"DELE 1", "+OK\r\n"}, {"DELE 3", "\r\n"}},
         listed(3, refused),
         {1, 2, 3},
         {3, {}, {1, 3}}},
        {"GarbledDeleReplyInAWindow",
         listing(kUidlPipelining, 3, {"a", "b", "c"}) +
             Script{{"DELE 1", "+OK\r\n"}, {"DELE 2", "OK\r\n"}, {"DELE 3", "+OK\r\n", After::Hang}},
         listed(3, refused),
         {1, 2, 3},
         {3, {"a", "b", "c"}, {1, 2, 3}}},
        {"LowerCaseRepliesAreReplies",
         listing(kNoCapa, 2) + Script{{"DELE 2", "+ok\r\n"}, kQuit},
         listed(1),
         {1},
         {2, {}, {2}}},
        {"GarbledTopReplyFailsTheCheck",
         loginAndStat(kNoCapa, 1) + Script{{"TOP 1 9", "Subject: no status line\r\n"}},
         failedWith(mail::kErrTop),
         {}},
        // The title counts the mails still waiting, not STAT's count from before the deletion.
        {"OneOfFiveDeleted",
         listing(kNoCapa, 5) + Script{{"DELE 3", "+OK\r\n"}, kQuit},
         listed(4),
         {1, 2, 4, 5},
         {5, {}, {3}}},
    };
}

class HostilePeerTableTest : public ::testing::TestWithParam<Row> {};

TEST_P(HostilePeerTableTest, EachServerGetsTheExpectedCommandsAndTheCheckEndsAsExpected) {
    const Row& row = GetParam();
    FakePop3Server server("+OK hostile <3.3@fake>\r\n", row.script);
    settings::Settings settings;
    settings.server = "127.0.0.1";
    settings.pop3Port = server.port();
    settings.user = "neko";
    settings.pass = "secret";
    settings.headCount = 2;
    if (row.configure) {
        row.configure(settings);
    }

    const auto listedFrom = std::make_shared<const mail::MailboxId>(
        mail::MailboxId{settings.server, settings.pop3Port, row.ticked.otherMailbox ? "tora" : settings.user, 0, {}});
    mail::MailEntryList previous;
    for (int k = 1; k <= row.ticked.count; ++k) {
        const std::string n = std::to_string(k);
        mail::MailEntry entry = checktest::entry("sender " + n, "subject " + n, "body " + n + " ", 100 + k);
        entry.deleteMark = std::count(row.ticked.marks.begin(), row.ticked.marks.end(), k) > 0;
        entry.uniqueId = row.ticked.ids.empty() ? "" : row.ticked.ids[k - 1];
        entry.mailbox = listedFrom;
        previous.push_back(entry);
    }
    net::Pop3Session session(net::kAfInet);
    checktest::RecordingHost host;
    {
        checktest::CheckWorker worker(session, settings, host);
        checktest::runCheckAsListed(worker, previous);
    }

    Calls commands;
    for (const Exchange& exchange : row.script) {
        commands.push_back(exchange.command);
    }
    EXPECT_EQ(server.commands(), commands);
    using checktest::operator+;
    EXPECT_EQ(host.callsWithoutPolls(), checktest::startCalls() + row.calls + checktest::endCalls());
    const auto lists = host.handedOver();
    ASSERT_EQ(lists.size(), 1u);
    std::vector<std::string> left;
    for (const mail::MailEntry& entry : lists.front()) {
        left.push_back(entry.subject);
        EXPECT_FALSE(entry.deleteMark);
        ASSERT_NE(entry.mailbox, nullptr) << "every listed entry names its mailbox";
        EXPECT_TRUE(entry.mailbox->sameAs(mail::MailboxId{"127.0.0.1", settings.pop3Port, "neko", 0, {}}));
    }
    std::vector<std::string> expectedLeft;
    for (int k : row.left) {
        expectedLeft.push_back("subject " + std::to_string(k));
    }
    EXPECT_EQ(left, expectedLeft);
}

INSTANTIATE_TEST_SUITE_P(Rows,
                         HostilePeerTableTest,
                         ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
