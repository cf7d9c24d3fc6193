#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "settings/settings_store.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/scripted_socket_io.h"

namespace {

using checktest::Calls;
using checktest::commandsOf;
using checktest::endCalls;
using checktest::entry;
using checktest::failureCalls;
using checktest::startCalls;
using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;
using checktest::operator+;

const char* const kGreeting = "+OK fake ready <1.2@fake>\r\n";

Calls polls(int count) {
    return Calls(static_cast<std::size_t>(count), "poll");
}

// The reply to TOP for a small message: its header, an empty line and one body line.
std::string topReply(const std::string& subject, const std::string& from, const std::string& body) {
    return "+OK\r\nSubject: " + subject + "\r\nFrom: " + from + "\r\n\r\n" + body + "\r\n.\r\n";
}

// A mailbox of three small messages, and the conversation of a check over it up to LIST.
std::vector<Exchange> loginAndStat(int count) {
    return {
        {"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "+OK " + std::to_string(count) + " 999\r\n"}};
}

std::vector<Exchange> tops(int count) {
    std::vector<Exchange> result;
    for (int k = 1; k <= count; ++k) {
        std::string n = std::to_string(k);
        result.push_back({"TOP " + n + " 9", topReply("subject " + n, "sender " + n, "body " + n)});
    }
    return result;
}

Exchange list3() {
    return {"LIST", "+OK 3 messages\r\n1 101\r\n2 102\r\n3 103\r\n.\r\n"};
}

Exchange quit() {
    return {"QUIT", "+OK bye\r\n", After::Close};
}

std::vector<Exchange> operator+(std::vector<Exchange> left, const std::vector<Exchange>& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

mail::MailEntry message(int k, bool marked = false) {
    std::string n = std::to_string(k);
    return entry("sender " + n, "subject " + n, "body " + n + " ", 100 + k, marked);
}

// Every session begins with CAPA. The servers of these tests refuse it, so that what follows is the plain
// conversation of a server without extensions: the script's commands after that CAPA.
std::vector<Exchange> withCapaRefused(std::vector<Exchange> script) {
    script.insert(script.begin(), Exchange{"CAPA", "-ERR unknown command\r\n"});
    return script;
}

class CapaRefusingServer : public FakePop3Server {
public:
    CapaRefusingServer(std::string greeting, std::vector<Exchange> script, After afterGreeting = After::Nothing)
        : FakePop3Server(std::move(greeting), withCapaRefused(std::move(script)), afterGreeting) {
    }
};

class MailCheckTest : public ::testing::Test {
protected:
    MailCheckTest() {
        settings.server = "127.0.0.1";
        settings.user = "neko";
        settings.pass = "secret";
        settings.headCount = 2;
    }

    void use(CapaRefusingServer& server) {
        settings.pop3Port = server.port();
    }

    settings::Settings settings;
    checktest::RecordingHost host;
    net::Pop3Session session{net::kAfInet};
    checktest::CheckWorker worker{session, settings, host};
};

TEST_F(MailCheckTest, ACheckReadsEveryMessageHandsOverTheListThenPostsAndQuits) {
    auto script = loginAndStat(3) + tops(3) + std::vector<Exchange>{list3(), quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(script));
    // Stop polls: socket, connection, USER, login, STAT, then each TOP and each of its five lines.
    EXPECT_EQ(host.calls(), (startCalls() + polls(5 + 3 * 6) + Calls{"hand over 3", "mail waiting 3"} + endCalls()));
    ASSERT_EQ(host.handedOver().size(), 1u);
    checktest::expectEntries(host.handedOver()[0], {message(1), message(2), message(3)});
    EXPECT_EQ(settings.pass, "secret") << "a stored password stays";
}

TEST_F(MailCheckTest, AnEmptyMailboxPostsNoMailWithoutTouchingTheListAndQuits) {
    auto script = loginAndStat(0) + std::vector<Exchange>{quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker, {message(1, true)});

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"no mail"} + endCalls()));
}

TEST_F(MailCheckTest, APopLoginHasNoPollBetweenItsSteps) {
    auto script = std::vector<Exchange>{
        {"APOP mrose c4c9334bac560ecc979e58001b3e22fb", "+OK maildrop ready\r\n"}, {"STAT", "+OK 0 0\r\n"}, quit()};
    CapaRefusingServer server("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>\r\n", script);
    use(server);
    settings.apop = true;
    settings.user = "mrose";
    settings.pass = "tanstaaf";
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.calls(), (startCalls() + polls(4) + Calls{"no mail"} + endCalls()));
}

TEST_F(MailCheckTest, TopAsksForSevenLinesMoreThanWanted) {
    struct Case {
        int headCount;
        int correctedTo;
        const char* top;
    } cases[] = {{0, 2, "TOP 1 9"}, {-5, 2, "TOP 1 9"}, {1, 1, "TOP 1 8"}, {5, 5, "TOP 1 12"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headCount);
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(session, settings, caseHost);
        auto script =
            loginAndStat(1) + std::vector<Exchange>{{c.top, topReply("s", "f", "b")}, {"LIST", "-ERR\r\n"}, quit()};
        CapaRefusingServer server(kGreeting, script);
        use(server);
        settings.headCount = c.headCount;
        checktest::runCheck(caseWorker);
        EXPECT_EQ(settings.headCount, c.correctedTo) << "corrected in the settings themselves";
        EXPECT_EQ(server.commands(), commandsOf(script));
    }
}

TEST_F(MailCheckTest, ARefusedListLeavesEverySizeAtZero) {
    auto script = loginAndStat(2) + tops(2) + std::vector<Exchange>{{"LIST", "-ERR not now\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(script));
    ASSERT_EQ(host.handedOver().size(), 1u);
    checktest::expectEntries(host.handedOver()[0], {entry("sender 1", "subject 1", "body 1 ", 0),
                                                    entry("sender 2", "subject 2", "body 2 ", 0)});
}

TEST_F(MailCheckTest, AListLineWithoutABlankEndsTheSizesAndTheReplyIsReadToItsEnd) {
    // The refusal of DELE 1 is read (and ends the walk) only when the rest of the LIST reply was read first.
    auto script =
        loginAndStat(3) + tops(3) +
        std::vector<Exchange>{{"LIST", "+OK\r\n1 101\r\n2\r\n3 103\r\n.\r\n"}, {"DELE 1", "-ERR no\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker, {entry("sender 1", "subject 1", "body 1 ", 101, true),
                                 entry("sender 2", "subject 2", "body 2 ", 0, true)});

    EXPECT_EQ(server.commands(), commandsOf(script));
    ASSERT_EQ(host.handedOver().size(), 1u);
    checktest::expectEntries(host.handedOver()[0], {entry("sender 1", "subject 1", "body 1 ", 101),
                                                    entry("sender 2", "subject 2", "body 2 ", 0),
                                                    entry("sender 3", "subject 3", "body 3 ", 0)});
}

TEST_F(MailCheckTest, MarkedMessagesThatAreStillTheSameAreDeleted) {
    auto script = loginAndStat(3) + tops(3) +
                  std::vector<Exchange>{list3(), {"DELE 1", "+OK\r\n"}, {"DELE 3", "+OK\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    // Message 2 is marked but changed since (another size): it stays.
    mail::MailEntry changed = message(2, true);
    changed.size = 999;
    checktest::runCheck(worker, {message(1, true), changed, message(3, true)});

    EXPECT_EQ(server.commands(), commandsOf(script));
    // The changed one may still be on the server: the user hears that not every ticked mail was deleted.
    EXPECT_EQ(host.callsWithoutPolls(),
              (startCalls() + Calls{"deletion refused", "hand over 1", "mail waiting 1"} + endCalls()));
    checktest::expectEntries(host.handedOver()[0], {message(2)});
}

TEST_F(MailCheckTest, DeletingEveryMessagePostsNoMail) {
    auto script = loginAndStat(2) + tops(2) +
                  std::vector<Exchange>{
                      {"LIST", "+OK\r\n1 101\r\n2 102\r\n.\r\n"}, {"DELE 1", "+OK\r\n"}, {"DELE 2", "+OK\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker, {message(1, true), message(2, true)});

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"hand over 0", "no mail"} + endCalls()));
}

TEST_F(MailCheckTest, ARefusedDeleEndsTheWalkKeepsItsRowAndIsReported) {
    auto script = loginAndStat(3) + tops(3) +
                  std::vector<Exchange>{list3(), {"DELE 1", "+OK\r\n"}, {"DELE 2", "-ERR locked\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker, {message(1, true), message(2, true), message(3, true)});

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.callsWithoutPolls(),
              (startCalls() + Calls{"deletion refused", "hand over 2", "mail waiting 2"} + endCalls()));
    checktest::expectEntries(host.handedOver()[0], {message(2), message(3)});
}

TEST_F(MailCheckTest, AMarkSetAfterTheCheckBeganNeverReachesTheServer) {
    auto script = loginAndStat(1) + tops(1) + std::vector<Exchange>{{"LIST", "+OK\r\n1 101\r\n.\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    mail::MailEntryList mailList{message(1)};
    worker.check.prepare(mailList, settings::takeCheckSettings(settings));
    mailList.front().deleteMark = true;  // the user marks it while the check is under way
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Wait(worker::kInfinite));

    EXPECT_EQ(server.commands(), commandsOf(script));
}

TEST_F(MailCheckTest, APasswordTypedForOneCheckIsForgottenWhateverTheOutcome) {
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "accepted");
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(session, settings, caseHost);
        auto script = refused
                          ? std::vector<Exchange>{{"USER neko", "+OK\r\n"}, {"PASS typed", "-ERR no\r\n"}}
                          : std::vector<Exchange>{
                                {"USER neko", "+OK\r\n"}, {"PASS typed", "+OK\r\n"}, {"STAT", "+OK 0 0\r\n"}, quit()};
        CapaRefusingServer server(kGreeting, script);
        use(server);
        settings.pass = "typed";
        settings.passFromPrompt = true;
        checktest::runCheck(caseWorker);
        EXPECT_EQ(server.commands(), commandsOf(script));
        EXPECT_EQ(settings.pass, "");
        EXPECT_FALSE(settings.passFromPrompt);
    }
}

TEST_F(MailCheckTest, APromptedPasswordLeavesTheSettingsWhenTheCheckIsPreparedAndStillLogsIn) {
    auto script =
        std::vector<Exchange>{{"USER neko", "+OK\r\n"}, {"PASS typed", "+OK\r\n"}, {"STAT", "+OK 0 0\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    settings.pass = "typed";
    settings.passFromPrompt = true;
    worker.check.prepare({}, settings::takeCheckSettings(settings));
    // The user-interface thread is done with it here: the worker never writes the settings' password.
    EXPECT_EQ(settings.pass, "");
    EXPECT_FALSE(settings.passFromPrompt);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Wait(worker::kInfinite));
    EXPECT_EQ(server.commands(), commandsOf(script));
}

// --- Failures ---

struct FailureCase {
    const char* name;
    int errorCode;
    bool apop;
    std::string greeting;
    std::vector<Exchange> script;
};

std::vector<FailureCase> failureCases() {
    return {
        {"USER refused", mail::kErrUser, false, kGreeting, {{"USER neko", "-ERR who?\r\n"}}},
        {"connection closed after USER", mail::kErrUser, false, kGreeting, {{"USER neko", "", After::Close}}},
        {"PASS refused", mail::kErrPass, false, kGreeting, {{"USER neko", "+OK\r\n"}, {"PASS secret", "-ERR no\r\n"}}},
        {"STAT refused",
         mail::kErrStat,
         false,
         kGreeting,
         {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "-ERR busy\r\n"}}},
        {"STAT without numbers",
         mail::kErrStat,
         false,
         kGreeting,
         {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "+OK\r\n"}}},
        {"TOP refused", mail::kErrTop, false, kGreeting,
         loginAndStat(2) + std::vector<Exchange>{{"TOP 1 9", "-ERR no such message\r\n"}}},
        {"second TOP refused", mail::kErrTop, false, kGreeting,
         loginAndStat(2) + tops(1) + std::vector<Exchange>{{"TOP 2 9", "-ERR gone\r\n"}}},
        {"TOP reply cut off", mail::kErrTopRead, false, kGreeting,
         loginAndStat(1) + std::vector<Exchange>{{"TOP 1 9", "+OK\r\nSubject: cut\r\n", After::Close}}},
        {"APOP without a timestamp in the greeting", mail::kErrApopNoTimestamp, true, "+OK no stamp\r\n", {}},
        {"APOP refused",
         mail::kErrApopRefused,
         true,
         "+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>\r\n",
         {{"APOP neko 3f18b52881e44c0cc6067f46e0ced7bc", "-ERR denied\r\n"}}},
    };
}

TEST_F(MailCheckTest, EveryFailureRunsTheFailurePathInOrderAndSendsNoQuit) {
    for (const FailureCase& c : failureCases()) {
        SCOPED_TRACE(c.name);
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(session, settings, caseHost);
        CapaRefusingServer server(c.greeting, c.script);
        use(server);
        settings.apop = c.apop;
        checktest::runCheck(caseWorker, {message(1)});

        EXPECT_EQ(server.commands(), commandsOf(c.script));
        int pollsBefore = caseWorker.polls - 1;
        EXPECT_EQ(caseHost.calls(), startCalls() + polls(pollsBefore) + failureCalls(c.errorCode));
        ASSERT_EQ(caseHost.handedOver().size(), 1u);
        EXPECT_TRUE(caseHost.handedOver()[0].empty()) << "a failed check leaves the list empty";
    }
    settings.apop = false;
}

TEST_F(MailCheckTest, SocketAndConnectionFailures) {
    for (bool socketFails : {true, false}) {
        SCOPED_TRACE(socketFails ? "no socket" : "no connection");
        testenv::ScriptedSocketIo io;
        io.socketFails = socketFails;
        io.connectFails = !socketFails;
        net::Pop3Session scriptedSession(net::kAfInet, io);
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(scriptedSession, settings, caseHost);
        checktest::runCheck(caseWorker);

        int code = socketFails ? mail::kErrSocket : mail::kErrConnect;
        EXPECT_EQ(caseHost.calls(), startCalls() + polls(socketFails ? 0 : 1) + failureCalls(code));
        EXPECT_EQ(io.sent, "");
        EXPECT_GE(io.closeCalls, socketFails ? 0 : 1) << "the end of check closes the socket";
    }
}

// An SSL value the settings could not read is never taken for plain text: the check fails as unfinished
// settings before a socket is even made, whatever the server or the login.
TEST_F(MailCheckTest, AnUnusableSslModeFailsBeforeAnySocketIsMade) {
    for (int mode : {settings::limits::kInvalidSslMode, 3, -2, 255}) {
        for (bool apop : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (apop ? " APOP" : " USER/PASS"));
            testenv::ScriptedSocketIo io;
            io.setChunks({"+OK ready <1.2@fake>\r\n", "+OK\r\n", "+OK\r\n", "+OK 0 0\r\n"});
            net::Pop3Session scriptedSession(net::kAfInet, io);
            settings.sslMode = mode;
            settings.apop = apop;
            checktest::RecordingHost caseHost;
            checktest::CheckWorker caseWorker(scriptedSession, settings, caseHost);
            checktest::runCheck(caseWorker);

            EXPECT_EQ(caseHost.calls(), startCalls() + failureCalls(mail::kErrSettingsIncomplete));
            EXPECT_EQ(io.socketCalls, 0);
            EXPECT_EQ(io.connectCalls, 0);
            EXPECT_EQ(io.sent, "");
        }
    }
}

TEST_F(MailCheckTest, RunningOutOfMemoryIsReportedAsError10) {
    auto script = loginAndStat(1) + tops(1) + std::vector<Exchange>{{"LIST", "+OK\r\n1 101\r\n.\r\n"}};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    host.failNextHandOver = true;
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.calls(), startCalls() + polls(11) + failureCalls(mail::kErrOutOfMemory));
}

// --- Stopping ---

TEST_F(MailCheckTest, AStopFoundAtAnyStopPollEndsTheCheckWithoutAResult) {
    auto script = loginAndStat(2) + tops(2) + std::vector<Exchange>{{"LIST", "+OK\r\n1 101\r\n2 102\r\n.\r\n"}, quit()};
    // Commands sent before each stop poll of a full run: socket, connection, USER (after CAPA), login, STAT, then
    // for each message its TOP and five lines.
    const int sentBefore[] = {0, 0, 2, 3, 4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6};
    for (int poll = 1; poll <= 17; ++poll) {
        SCOPED_TRACE("stopped at poll " + std::to_string(poll));
        net::Pop3Session caseSession(net::kAfInet);
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(caseSession, settings, caseHost);
        caseWorker.stopAtPoll = poll;
        CapaRefusingServer server(kGreeting, script);
        use(server);
        checktest::runCheck(caseWorker, {message(1, true)});

        if (poll > 1) {  // stopped before it connected, the server never sees a session
            Calls expected = commandsOf(script);
            expected.resize(static_cast<std::size_t>(sentBefore[poll - 1]));
            EXPECT_EQ(server.commands(), expected);
        }
        // The status look, the status text and the list stay as they were; the menu is restored.
        EXPECT_EQ(caseHost.calls(), startCalls() + polls(poll) + endCalls());
    }
}

struct HangCase {
    const char* name;
    std::vector<Exchange> script;  // empty: the server sends no greeting
    // Whether the step under way fails (and runs the failure path up to its stop poll) before the stop is
    // seen; unset when that depends on how far the worker got.
    std::optional<bool> failsFirst;
};

TEST_F(MailCheckTest, AServerThatStopsAnsweringIsStoppedFromTheOwner) {
    const HangCase cases[] = {
        // A greeting that cannot be read still opens the session, so the poll after it sees the stop; but the
        // server's accept does not tell whether the worker's connect has returned yet, and a stop that comes
        // first makes the connect fail.
        {"no greeting", {}, std::nullopt},
        {"no reply to STAT", {{"USER neko", "+OK\r\n"}, {"PASS secret", "+OK\r\n"}, {"STAT", "", After::Hang}}, true},
        {"no reply to TOP", loginAndStat(2) + std::vector<Exchange>{{"TOP 1 9", "", After::Hang}}, true},
        {"a TOP reply breaks off",
         loginAndStat(2) + std::vector<Exchange>{{"TOP 1 9", "+OK\r\nSubject: x\r\n", After::Hang}}, std::nullopt},
    };
    const Calls failureStart = {"clear started by timer", "show idle", "status (title)", "poll"};
    for (const HangCase& c : cases) {
        SCOPED_TRACE(c.name);
        net::Pop3Session caseSession(net::kAfInet);
        checktest::RecordingHost caseHost;
        checktest::CheckWorker caseWorker(caseSession, settings, caseHost);
        CapaRefusingServer server(c.script.empty() ? "" : kGreeting, c.script,
                                  c.script.empty() ? After::Hang : After::Nothing);
        use(server);
        caseWorker.check.prepare({message(1)}, settings::takeCheckSettings(settings));
        ASSERT_TRUE(caseWorker.Start());
        server.waitUntilHanging();

        // What the stop command does: the quit message to the worker, then the socket closed under it.
        EXPECT_TRUE(caseWorker.PostToThread(worker::kThreadQuit, 0, 0));
        caseSession.close();
        ASSERT_TRUE(caseWorker.Wait(worker::kInfinite));

        EXPECT_EQ(caseWorker.threadEnds, 1);
        // No result and no list either way; only the failure path resets the look and the text.
        int polled = caseWorker.polls;
        Calls stoppedAtPoll = startCalls() + polls(polled) + endCalls();
        Calls stoppedInFailurePath = startCalls() + polls(polled - 1) + failureStart + endCalls();
        Calls calls = caseHost.calls();
        if (c.failsFirst.has_value()) {
            EXPECT_EQ(calls, *c.failsFirst ? stoppedInFailurePath : stoppedAtPoll);
        } else {
            EXPECT_TRUE(calls == stoppedAtPoll || calls == stoppedInFailurePath) << ::testing::PrintToString(calls);
        }
        EXPECT_TRUE(caseHost.handedOver().empty());
        EXPECT_EQ(server.commands(), commandsOf(c.script, !c.script.empty()));
    }
}

TEST_F(MailCheckTest, ACheckAfterAStoppedOneReadsOnlyItsOwnConnection) {
    // The first check is stopped right after the first line of a TOP reply, whose other lines are already
    // received; the next check on the same session must not take them for its own server's replies.
    auto first = loginAndStat(1) + std::vector<Exchange>{{"TOP 1 9", topReply("old", "old", "old")}};
    {
        CapaRefusingServer server(kGreeting, first);
        use(server);
        checktest::RecordingHost firstHost;
        checktest::CheckWorker firstWorker(session, settings, firstHost);
        firstWorker.stopAtPoll = 7;  // after "Subject: old"
        checktest::runCheck(firstWorker);
        EXPECT_EQ(server.commands(), commandsOf(first));
        EXPECT_EQ(firstHost.calls(), startCalls() + polls(7) + endCalls());
    }
    auto second = loginAndStat(1) + tops(1) + std::vector<Exchange>{{"LIST", "+OK\r\n1 101\r\n.\r\n"}, quit()};
    CapaRefusingServer server(kGreeting, second);
    use(server);
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(second));
    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"hand over 1", "mail waiting 1"} + endCalls()));
    ASSERT_EQ(host.handedOver().size(), 1u);
    checktest::expectEntries(host.handedOver()[0], {message(1)});
}

TEST_F(MailCheckTest, AStopDuringListStillEndsWithTheResult) {
    // Reading the sizes has no stop poll: the closed socket only ends it, and the check reports what it has.
    auto script = loginAndStat(2) + tops(2) + std::vector<Exchange>{{"LIST", "", After::Hang}};
    CapaRefusingServer server(kGreeting, script);
    use(server);
    worker.check.prepare({}, settings::takeCheckSettings(settings));
    ASSERT_TRUE(worker.Start());
    server.waitUntilHanging();
    EXPECT_TRUE(worker.PostToThread(worker::kThreadQuit, 0, 0));
    session.close();
    ASSERT_TRUE(worker.Wait(worker::kInfinite));

    EXPECT_EQ(server.commands(), commandsOf(script));
    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"hand over 2", "mail waiting 2"} + endCalls()));
    checktest::expectEntries(host.handedOver()[0], {entry("sender 1", "subject 1", "body 1 ", 0),
                                                    entry("sender 2", "subject 2", "body 2 ", 0)});
}

}  // namespace

// A multipart mail whose text part has not begun within the usual lines is asked for once more, with a larger
// count; one whose text arrived, and one that ended before the count, are not.
namespace {

std::string multipartTop(int attachmentLines, const std::string& text) {
    std::string reply = "+OK\r\nSubject: parts\r\nFrom: f\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
    reply += "--b\r\nContent-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    for (int i = 0; i < attachmentLines; ++i) {
        reply += "QUJD\r\n";
    }
    return reply + "--b\r\nContent-Type: text/plain\r\n\r\n" + text + "\r\n--b--\r\n.\r\n";
}

// The first `bodyLines` body lines of a reply built by multipartTop, as a TOP with that count returns them.
std::string cutTop(const std::string& reply, int bodyLines) {
    std::size_t at = reply.find("\r\n\r\n") + 4;
    for (int i = 0; i < bodyLines; ++i) {
        at = reply.find("\r\n", at) + 2;
    }
    return reply.substr(0, at) + ".\r\n";
}

}  // namespace

TEST_F(MailCheckTest, AMultipartMailWhoseTextIsNotInTheLinesIsAskedForOnceMore) {
    const std::string late = multipartTop(20, "late text");
    auto script = loginAndStat(3) + std::vector<Exchange>{
                                        {"TOP 1 9", cutTop(late, 9)},
                                        {"TOP 1 509", late},
                                        {"TOP 2 9", cutTop(multipartTop(1, "early text"), 9)},
                                        {"TOP 3 9", multipartTop(0, "").substr(0, 80) + "\r\n.\r\n"},
                                        {"LIST", "-ERR\r\n"},
                                        quit(),
                                    };
    CapaRefusingServer server(kGreeting, script);
    use(server);
    checktest::runCheck(worker);

    EXPECT_EQ(server.commands(), commandsOf(script));
    ASSERT_EQ(host.handedOver().size(), 1u);
    checktest::expectEntries(host.handedOver()[0], {entry("f", "parts", "late text ", 0),
                                                    entry("f", "parts", "early text ", 0), entry("f", "parts", "", 0)});
}
