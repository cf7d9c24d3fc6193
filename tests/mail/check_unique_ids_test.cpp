#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/scripted_socket_io.h"

// Checks against servers that offer UIDL and PIPELINING (or say they offer nothing), played by the fake server:
// the exact conversations, the reuse of what the last check saw, deletion by id, and id lists not to be trusted.
namespace {

using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;
using Calls = std::vector<std::string>;
using Script = std::vector<Exchange>;

const char kGreeting[] = "+OK ready <7.7@fake>\r\n";
const char kUidlOnly[] = "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
const char kUidlAndPipelining[] = "+OK Capability list follows\r\nTOP\r\nuidl\r\nPIPELINING\r\nUSER\r\n.\r\n";

// A message on the fake server: its id and the text it shows (messages with equal texts are identical mails).
struct Message {
    std::string id;
    int text;
    int size;
};

Message msg(int n) {
    return {"id-" + std::to_string(n), n, 100 + n};
}

mail::MailEntry entryOf(const Message& m) {
    mail::MailEntry e = checktest::entry("sender " + std::to_string(m.text), "subject " + std::to_string(m.text),
                                         "body " + std::to_string(m.text) + " ", m.size);
    e.uniqueId = m.id;
    return e;
}

// One session over `box`: CAPA answered by `capa`, the login, STAT, UIDL when `uidl`, TOP for the messages whose
// ids are in `fetched` (all when `fetchAll`), LIST (right after UIDL when the server offers PIPELINING), then
// `tail` (DELE steps) and QUIT.
Script session(const std::string& capa,
               const std::vector<Message>& box,
               bool uidl,
               const std::vector<std::string>& fetched,
               bool fetchAll,
               const Script& tail = {}) {
    Script script = {{"CAPA", capa}, {"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}};
    script.push_back({"STAT", "+OK " + std::to_string(box.size()) + " 999\r\n"});
    const bool pipelining = capa.find("PIPELINING") != std::string::npos;
    if (box.empty()) {
        if (pipelining) {
            // Sent with STAT, before its count was known.
            script.push_back({"UIDL", "+OK\r\n.\r\n"});
            script.push_back({"LIST", "+OK\r\n.\r\n"});
        }
        script.push_back({"QUIT", "+OK\r\n", After::Close});
        return script;
    }
    std::string ids = "+OK\r\n", sizes = "+OK\r\n";
    for (std::size_t k = 1; k <= box.size(); ++k) {
        ids += std::to_string(k) + " " + box[k - 1].id + "\r\n";
        sizes += std::to_string(k) + " " + std::to_string(box[k - 1].size) + "\r\n";
    }
    if (uidl) {
        script.push_back({"UIDL", ids + ".\r\n"});
    }
    if (pipelining) {
        script.push_back({"LIST", sizes + ".\r\n"});
    }
    for (std::size_t k = 1; k <= box.size(); ++k) {
        if (fetchAll || std::count(fetched.begin(), fetched.end(), box[k - 1].id) > 0) {
            script.push_back({"TOP " + std::to_string(k) + " 9", checktest::topReply(box[k - 1].text)});
        }
    }
    if (!pipelining) {
        script.push_back({"LIST", sizes + ".\r\n"});
    }
    script.insert(script.end(), tail.begin(), tail.end());
    script.push_back({"QUIT", "+OK\r\n", After::Close});
    return script;
}

// The calls of a check that failed with this code (stop polls left out).
Calls failedWith(int code) {
    Calls calls = checktest::startCalls();
    for (const char* call : {"clear started by timer", "show idle", "status (title)", "hand over 0"}) {
        calls.push_back(call);
    }
    calls.push_back("failed " + std::to_string(code));
    for (const std::string& call : checktest::endCalls()) {
        calls.push_back(call);
    }
    return calls;
}

Calls commandsOf(const Script& script) {
    Calls result;
    for (const Exchange& exchange : script) {
        result.push_back(exchange.command);
    }
    return result;
}

// Every field a full check gives; the new flag is compared on its own.
void expectSameList(const mail::MailEntryList& actual, const mail::MailEntryList& expected) {
    checktest::expectEntries(actual, std::vector<mail::MailEntry>(expected.begin(), expected.end()));
    auto a = actual.begin();
    for (auto e = expected.begin(); a != actual.end() && e != expected.end(); ++a, ++e) {
        EXPECT_EQ(a->uniqueId, e->uniqueId);
    }
}

class CheckUniqueIdsTest : public ::testing::Test {
protected:
    CheckUniqueIdsTest() {
        settings.server = "127.0.0.1";
        settings.user = "neko";
        settings.pass = "secret";
        settings.headCount = 2;
    }

    // Runs one check of `worker` against a fake server playing `script`; the list it handed over.
    mail::MailEntryList check(checktest::CheckWorker& worker,
                              checktest::RecordingHost& host,
                              const Script& script,
                              const mail::MailEntryList& previous = {}) {
        FakePop3Server server(kGreeting, script);
        settings.pop3Port = server.port();
        const std::size_t before = host.handedOver().size();
        checktest::runCheck(worker, previous);
        EXPECT_EQ(server.commands(), commandsOf(script));
        const auto lists = host.handedOver();
        return lists.size() > before ? lists.back() : mail::MailEntryList{};
    }

    // The list of a full check of `box` by a check that has seen nothing before.
    mail::MailEntryList fullCheck(const std::string& capa, const std::vector<Message>& box) {
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        return check(worker, host, ::session(capa, box, true, {}, true));
    }

    settings::Settings settings;
    net::Pop3Session session{net::kAfInet};
};

TEST_F(CheckUniqueIdsTest, WithoutUidlOrPipeliningEveryCheckIsThePlainConversation) {
    // Refused, or a list naming neither extension (first words only, in any case).
    for (const char* capa :
         {"-ERR unknown\r\n", "+OK\r\nTOP\r\nUSER\r\nSASL PLAIN\r\nX-UIDL-LIKE\r\n.\r\n", "+OK\r\n.\r\n"}) {
        SCOPED_TRACE(capa);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        const std::vector<Message> box = {msg(1), msg(2), msg(3)};
        for (int round = 0; round < 2; ++round) {
            const mail::MailEntryList list = check(worker, host, ::session(capa, box, false, {}, true));
            ASSERT_EQ(list.size(), 3u);
            EXPECT_EQ(list.front().uniqueId, "");
            EXPECT_EQ(list.front().isNew, round == 0) << "equal texts and size: seen before";
        }
    }
}

TEST_F(CheckUniqueIdsTest, AServerThatClosesOnCapaFailsAtUserAsBefore) {
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    FakePop3Server server(kGreeting, {{"CAPA", "", After::Close}});
    settings.pop3Port = server.port();
    checktest::runCheck(worker);
    EXPECT_EQ(server.commands(), Calls{"CAPA"});
    EXPECT_EQ(host.callsWithoutPolls(), failedWith(mail::kErrUser));
}

TEST_F(CheckUniqueIdsTest, ReChecksFetchOnlyNewIdsAndGiveTheFullChecksList) {
    // The mailbox as it changes between checks: first seen, reordered with a new one, some vanished and new ones.
    const std::vector<std::vector<Message>> boxes = {{msg(1), msg(2), msg(3)},
                                                     {msg(3), msg(1), msg(4), msg(2)},
                                                     {msg(4), msg(5), msg(2), msg(6)},
                                                     {},
                                                     {msg(2), msg(7)}};
    for (const char* capa : {kUidlOnly, kUidlAndPipelining}) {
        SCOPED_TRACE(capa);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        std::vector<std::string> seen;
        for (const std::vector<Message>& box : boxes) {
            std::vector<std::string> fresh;
            for (const Message& m : box) {
                if (std::count(seen.begin(), seen.end(), m.id) == 0) {
                    fresh.push_back(m.id);
                }
            }
            const mail::MailEntryList list = check(worker, host, ::session(capa, box, true, fresh, false));
            if (box.empty()) {
                seen.clear();
                continue;
            }
            expectSameList(list, fullCheck(capa, box));
            for (const mail::MailEntry& e : list) {
                EXPECT_EQ(e.isNew, std::count(fresh.begin(), fresh.end(), e.uniqueId) > 0) << e.uniqueId;
            }
            seen.clear();
            for (const Message& m : box) {
                seen.push_back(m.id);
            }
        }
    }
}

TEST_F(CheckUniqueIdsTest, ChangedHeadCountFetchesEverythingAgain) {
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    const std::vector<Message> box = {msg(1)};
    check(worker, host, ::session(kUidlOnly, box, true, {}, true));
    settings.headCount = 3;
    Script again = ::session(kUidlOnly, box, true, {}, true);
    again[5].command = "TOP 1 10";
    check(worker, host, again);
}

TEST_F(CheckUniqueIdsTest, DeletionGoesByIdWhateverTheTextsSizesAndPositions) {
    // Messages a and b are identical mails with different ids; the user ticks b only. Before the deleting check
    // the server rewrote every message (sizes grew) and another client's change moved them.
    const Message a{"aaa", 1, 100}, b{"bbb", 1, 100}, c{"ccc", 2, 200};
    for (const char* capa : {kUidlOnly, kUidlAndPipelining}) {
        SCOPED_TRACE(capa);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        mail::MailEntryList listed = check(worker, host, ::session(capa, {a, b, c}, true, {}, true));
        ASSERT_EQ(listed.size(), 3u);
        std::next(listed.begin())->deleteMark = true;
        listed.back().deleteMark = true;
        const Message a2{"aaa", 1, 150}, b2{"bbb", 1, 150}, c2{"ccc", 2, 250}, d{"ddd", 3, 300};
        const mail::MailEntryList after = check(
            worker, host,
            ::session(capa, {d, b2, a2, c2}, true, {"ddd"}, false, {{"DELE 2", "+OK\r\n"}, {"DELE 4", "+OK\r\n"}}),
            listed);
        expectSameList(after, {entryOf(d), entryOf(a2)});
        const Calls calls = host.callsWithoutPolls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "deletion refused"), 0);
    }
}

TEST_F(CheckUniqueIdsTest, WithoutUidlAChangedSizeKeepsTheMailAndSaysSo) {
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    mail::MailEntryList listed = check(worker, host, ::session("-ERR\r\n", {msg(1)}, false, {}, true));
    listed.front().deleteMark = true;
    Message grown = msg(1);
    grown.size += 40;
    const mail::MailEntryList after = check(worker, host, ::session("-ERR\r\n", {grown}, false, {}, true), listed);
    mail::MailEntry kept = entryOf(grown);
    kept.uniqueId.clear();
    expectSameList(after, {kept});
    const Calls calls = host.callsWithoutPolls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "deletion refused"), 1) << "the user is told";
}

TEST_F(CheckUniqueIdsTest, IdListsThatCannotBeTrustedFailTheCheckAndDeleteNothing) {
    struct Case {
        const char* name;
        std::string uidl;
    } cases[] = {
        {"duplicate id", "+OK\r\n1 same\r\n2 same\r\n.\r\n"},
        {"shorter than STAT", "+OK\r\n1 a\r\n.\r\n"},
        {"longer than STAT", "+OK\r\n1 a\r\n2 b\r\n3 c\r\n.\r\n"},
        {"out of order", "+OK\r\n2 b\r\n1 a\r\n.\r\n"},
        {"id with a blank", "+OK\r\n1 a b\r\n2 c\r\n.\r\n"},
        {"id with a control byte", "+OK\r\n1 a\x7f\r\n2 c\r\n.\r\n"},
        {"id of 71 characters", "+OK\r\n1 " + std::string(71, 'x') + "\r\n2 c\r\n.\r\n"},
        {"empty id", "+OK\r\n1 \r\n2 c\r\n.\r\n"},
        {"refused", "-ERR no ids today\r\n"},
        {"cut off", "+OK\r\n1 a\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        mail::MailEntry marked = entryOf(msg(1));
        marked.uniqueId = "a";
        marked.deleteMark = true;
        const bool cutOff = c.name == std::string("cut off");
        Script script = {{"CAPA", kUidlAndPipelining},
                         {"USER neko", "+OK\r\n"},
                         {"PASS secret", "+OK\r\n"},
                         {"STAT", "+OK 2 999\r\n"},
                         {"UIDL", c.uidl, cutOff ? After::Close : After::Nothing}};
        if (!cutOff) {
            script.push_back({"LIST", ""});  // sent with UIDL; its reply is never read
        }
        check(worker, host, script, {marked});
        EXPECT_EQ(host.callsWithoutPolls(), failedWith(mail::kErrStat));
    }
}

TEST_F(CheckUniqueIdsTest, OddButLegalIdsAreKeptAsTheyAre) {
    const std::string odd = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~09AZaz";
    const std::string longest(70, '~');
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    const mail::MailEntryList list =
        check(worker, host, ::session(kUidlAndPipelining, {{odd, 1, 101}, {longest, 2, 102}}, true, {}, true));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.front().uniqueId, odd);
    EXPECT_EQ(list.back().uniqueId, longest);
}

TEST_F(CheckUniqueIdsTest, AFailureInsideAPipelinedWindowEndsAsAPlainCheckWould) {
    struct Case {
        const char* name;
        int failingTop;  // 1-based among the TOP steps
        std::string reply;
        After after;
        int errorCode;
    } cases[] = {
        {"-ERR for one TOP", 3, "-ERR gone\r\n", After::Nothing, mail::kErrTop},
        {"close before a reply", 3, "", After::Close, mail::kErrTop},
        {"close inside a reply", 3, "+OK\r\nSubject: cut", After::Close, mail::kErrTopRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        std::vector<Message> box;
        for (int n = 1; n <= 6; ++n) {
            box.push_back(msg(n));
        }
        Script script = ::session(kUidlAndPipelining, box, true, {}, true);
        const std::size_t failing = 5 + static_cast<std::size_t>(c.failingTop);
        script[failing].reply = c.reply;
        script[failing].after = c.after;
        mail::MailEntry marked = entryOf(msg(1));
        marked.deleteMark = true;
        FakePop3Server server(kGreeting, script);
        settings.pop3Port = server.port();
        checktest::runCheck(worker, {marked});
        const Calls received = server.commands();
        for (const std::string& command : received) {
            EXPECT_NE(command.rfind("DELE", 0), 0u) << "no DELE after a failed TOP";
            EXPECT_NE(command, "QUIT");
        }
        EXPECT_EQ(host.callsWithoutPolls(), failedWith(c.errorCode));
    }
}

TEST_F(CheckUniqueIdsTest, PipelinedRepliesSplitAnywhereGiveTheSameCheck) {
    // The server's whole side of a pipelined check with a deletion, handed to the client in two pieces cut at
    // every byte (so at every boundary between replies and inside each): the same commands, list and result.
    std::vector<Message> box = {msg(1), msg(2), msg(3)};
    const Script script = ::session(kUidlAndPipelining, box, true, {}, true, {{"DELE 2", "+OK\r\n"}});
    std::string stream = kGreeting;
    for (const Exchange& exchange : script) {
        stream += exchange.reply;
    }
    mail::MailEntry marked = entryOf(msg(2));
    marked.deleteMark = true;
    std::string firstSent;
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        testenv::ScriptedSocketIo io;
        io.chunks = {stream.substr(0, cut), stream.substr(cut)};
        if (cut == 0) {
            io.chunks.pop_front();
        }
        net::Pop3Session scripted(net::kAfInet, io);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(scripted, settings, host);
        checktest::runCheck(worker, {entryOf(msg(1)), marked, entryOf(msg(3))});
        ASSERT_EQ(host.handedOver().size(), 1u);
        expectSameList(host.handedOver()[0], {entryOf(msg(1)), entryOf(msg(3))});
        if (cut == 0) {
            firstSent = io.sent;
        }
        EXPECT_EQ(io.sent, firstSent);
    }
    std::string expected;
    for (const std::string& command : commandsOf(script)) {
        expected += command + "\r\n";
    }
    EXPECT_EQ(firstSent, expected);
}

// The commands of one write, each ended by CR LF.
std::string written(const Calls& commands) {
    std::string text;
    for (const std::string& command : commands) {
        text += command + "\r\n";
    }
    return text;
}

TEST_F(CheckUniqueIdsTest, EachServerGetsItsCommandsInTheWritesItsExtensionsAllow) {
    // Three messages; in the rows with a tick, the second one was ticked in the last list. With PIPELINING what does
    // not depend on the reply before it shares a write; without it every command goes alone, as always.
    const Calls tops = {"TOP 1 9", "TOP 2 9", "TOP 3 9"};
    const struct {
        const char* name;
        std::string capa;
        bool uidl;
        bool tick;
        std::vector<Calls> writes;
    } rows[] = {
        {"no CAPA",
         "-ERR\r\n",
         false,
         false,
         {{"CAPA"}, {"USER neko"}, {"PASS secret"}, {"STAT"}, {tops[0]}, {tops[1]}, {tops[2]}, {"LIST"}, {"QUIT"}}},
        {"UIDL only, a tick",
         kUidlOnly,
         true,
         true,
         {{"CAPA"},
          {"USER neko"},
          {"PASS secret"},
          {"STAT"},
          {"UIDL"},
          {tops[0]},
          {tops[1]},
          {tops[2]},
          {"LIST"},
          {"DELE 2"},
          {"QUIT"}}},
        {"PIPELINING only",
         "+OK\r\nPIPELINING\r\n.\r\n",
         false,
         false,
         {{"CAPA"}, {"USER neko", "PASS secret"}, {"STAT", "LIST"}, tops, {"QUIT"}}},
        {"UIDL and PIPELINING",
         kUidlAndPipelining,
         true,
         false,
         {{"CAPA"}, {"USER neko", "PASS secret"}, {"STAT", "UIDL", "LIST"}, tops, {"QUIT"}}},
        {"UIDL and PIPELINING, a tick",
         kUidlAndPipelining,
         true,
         true,
         {{"CAPA"}, {"USER neko", "PASS secret"}, {"STAT", "UIDL", "LIST"}, tops, {"DELE 2"}, {"QUIT"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Message> box = {msg(1), msg(2), msg(3)};
        const Script tail = row.tick ? Script{{"DELE 2", "+OK\r\n"}} : Script{};
        std::string stream = kGreeting;
        for (const Exchange& exchange : ::session(row.capa, box, row.uidl, {}, true, tail)) {
            stream += exchange.reply;
        }
        testenv::ScriptedSocketIo io;
        io.chunks = {stream};
        net::Pop3Session scripted(net::kAfInet, io);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(scripted, settings, host);
        mail::MailEntry ticked = entryOf(msg(2));
        ticked.deleteMark = true;
        checktest::runCheck(
            worker, row.tick ? mail::MailEntryList{entryOf(msg(1)), ticked, entryOf(msg(3))} : mail::MailEntryList{});
        std::vector<std::string> expected;
        for (const Calls& write : row.writes) {
            expected.push_back(written(write));
        }
        EXPECT_EQ(io.writes, expected);
        ASSERT_EQ(host.handedOver().size(), 1u);
        EXPECT_EQ(host.handedOver()[0].size(), row.tick ? 2u : 3u);
    }
}

TEST_F(CheckUniqueIdsTest, PipelinedRepliesInRandomPiecesWithCommandsTakenInRandomBitsGiveTheSameCheck) {
    // Whatever pieces each reply arrives in (once the commands it answers were sent) and however few bytes
    // the socket takes of the commands sent ahead between receives, the same commands go out in the same order and
    // the same list comes back.
    std::vector<Message> box;
    for (int n = 1; n <= 12; ++n) {
        box.push_back(msg(n));
    }
    const Script script = ::session(kUidlAndPipelining, box, true, {}, true, {{"DELE 4", "+OK\r\n"}});
    // The server's replies (the greeting first), each with the length of the commands it answers.
    std::vector<std::pair<std::string, std::size_t>> replies = {{kGreeting, 0}};
    std::size_t commandBytes = 0;
    for (const Exchange& exchange : script) {
        commandBytes += exchange.command.size() + 2;
        replies.push_back({exchange.reply, commandBytes});
    }
    mail::MailEntryList previous;
    for (const Message& m : box) {
        previous.push_back(entryOf(m));
    }
    std::next(previous.begin(), 3)->deleteMark = true;
    mail::MailEntryList expected = previous;
    expected.erase(std::next(expected.begin(), 3));
    for (mail::MailEntry& e : expected) {
        e.deleteMark = false;
    }
    std::mt19937 random(24);
    for (int round = 0; round < 200; ++round) {
        testenv::ScriptedSocketIo io;
        for (const auto& [reply, need] : replies) {
            for (std::size_t at = 0; at < reply.size();) {
                const std::size_t piece = 1 + random() % 80;
                io.chunks.push_back(reply.substr(at, piece));
                io.chunkNeeds.push_back(need);
                at += piece;
            }
        }
        io.aheadBytesPerWait = 1 + static_cast<int>(random() % 40);
        io.maxSendBytes = static_cast<int>(random() % 12);
        SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(io.aheadBytesPerWait) +
                     " bytes a wait, sends of at most " + std::to_string(io.maxSendBytes));
        net::Pop3Session scripted(net::kAfInet, io);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(scripted, settings, host);
        checktest::runCheck(worker, previous);
        ASSERT_EQ(host.handedOver().size(), 1u);
        expectSameList(host.handedOver()[0], expected);
        ASSERT_EQ(io.sent, written(commandsOf(script)));
    }
}

TEST_F(CheckUniqueIdsTest, AStopAtAnyPollOfAPipelinedCheckEndsItWithoutAResult) {
    // Stop polls: socket, connection, USER, login, STAT, UIDL, then for each of the three TOP replies its status
    // line and its five lines; and none in the deletion.
    std::vector<Message> box = {msg(1), msg(2), msg(3)};
    const Script script = ::session(kUidlAndPipelining, box, true, {}, true, {{"DELE 1", "+OK\r\n"}});
    mail::MailEntry marked = entryOf(msg(1));
    marked.deleteMark = true;
    for (int poll = 1; poll <= 6 + 3 * 6; ++poll) {
        SCOPED_TRACE("stopped at poll " + std::to_string(poll));
        net::Pop3Session caseSession(net::kAfInet);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(caseSession, settings, host);
        worker.stopAtPoll = poll;
        FakePop3Server server(kGreeting, script);
        settings.pop3Port = server.port();
        checktest::runCheck(worker, {marked});
        if (poll > 1) {  // stopped before it connected, the server never sees a session
            const Calls received = server.commands();
            EXPECT_EQ(std::count(received.begin(), received.end(), "DELE 1"), 0) << "no DELE from a stopped check";
            EXPECT_EQ(std::count(received.begin(), received.end(), "QUIT"), 0);
        }
        Calls expected = checktest::startCalls();
        expected.insert(expected.end(), static_cast<std::size_t>(poll), "poll");
        const Calls end = checktest::endCalls();
        expected.insert(expected.end(), end.begin(), end.end());
        EXPECT_EQ(host.calls(), expected);
    }
}

TEST_F(CheckUniqueIdsTest, AHugeCountInStatFailsWhereTheServerStopsAnswering) {
    // STAT claims far more messages than there are: without ids the check fails at the first TOP that gets no
    // answer (pipelined or not), as it always has; with ids the list is short of the count.
    const struct {
        const char* capa;
        const char* secondReply;  // the reply to the command after TOP 1 (UIDL's when ids are offered)
        int errorCode;
    } cases[] = {
        {"-ERR\r\n", "-ERR no such message\r\n", mail::kErrTop},
        {"+OK\r\nPIPELINING\r\n.\r\n", "-ERR no such message\r\n", mail::kErrTop},
        {kUidlAndPipelining, "+OK\r\n1 a\r\n.\r\n", mail::kErrStat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capa);
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        Script script = {
            {"CAPA", c.capa}, {"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "+OK 2147483647 999\r\n"}};
        if (std::string(c.capa) == kUidlAndPipelining) {
            script.push_back({"UIDL", c.secondReply});
        } else {
            if (std::string(c.capa) != "-ERR\r\n") {
                script.push_back({"LIST", "+OK\r\n1 100\r\n.\r\n"});
            }
            script.push_back({"TOP 1 9", checktest::topReply(1)});
            script.push_back({"TOP 2 9", c.secondReply, After::Close});
        }
        FakePop3Server server(kGreeting, script);
        settings.pop3Port = server.port();
        checktest::runCheck(worker);
        EXPECT_EQ(host.callsWithoutPolls(), failedWith(c.errorCode));
    }
}

TEST_F(CheckUniqueIdsTest, AMultipartMailWithLateTextIsAskedForOnceMoreAfterTheWindow) {
    // Message 2 is a multipart mail whose text part starts after an attachment: the nine lines of its first TOP
    // hold none of it, so once the window's replies are read it is asked for again with more lines.
    std::string late =
        "+OK\r\nSubject: parts\r\nFrom: f\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
        "--b\r\nContent-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    for (int i = 0; i < 20; ++i) {
        late += "QUJD\r\n";
    }
    late += "--b\r\nContent-Type: text/plain\r\n\r\nlate text\r\n--b--\r\n.\r\n";
    std::size_t at = late.find("\r\n\r\n") + 4;
    for (int i = 0; i < 9; ++i) {
        at = late.find("\r\n", at) + 2;
    }
    const std::string cut = late.substr(0, at) + ".\r\n";
    Script script = ::session(kUidlAndPipelining, {msg(1), msg(2), msg(3)}, true, {}, true);
    script[7].reply = cut;  // TOP 2 9
    script.insert(script.begin() + 9, Exchange{"TOP 2 509", late});
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    const mail::MailEntryList list = check(worker, host, script);
    mail::MailEntry second = checktest::entry("f", "parts", "late text ", 102);
    second.uniqueId = "id-2";
    expectSameList(list, {entryOf(msg(1)), second, entryOf(msg(3))});
}

}  // namespace
