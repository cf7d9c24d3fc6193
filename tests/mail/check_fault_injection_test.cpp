#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "mail/check_result.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"

// A check of a 20-message mailbox that also carries out the user's deletion of four of them, with the server
// dropping the connection at every point in turn: right after each reply (the greeting included), and in the
// middle of each multi-line reply. Every case must end in the result that the check's rules give for it, hand
// over the list that goes with that result, and never send a DELE for a message that the user did not mark.
// Each drop is tried with a server that refuses CAPA (the plain conversation) and with one that offers UIDL and
// PIPELINING (USER with PASS, STAT with UIDL and LIST, every TOP, and the DELE commands each sent in one write).
namespace {

using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;

constexpr int kMessages = 20;
const std::vector<int> kMarked = {2, 7, 13, 20};
const char kGreeting[] = "+OK fault injection <42.1@fake>\r\n";

std::int32_t sizeOf(int k) {
    return 1000 + 37 * k;
}

// TOP k 9 (two first lines wanted): a header, an empty line, more body lines than wanted, one of them stuffed.
std::string topReply(int k) {
    const std::string n = std::to_string(k);
    std::string reply = "+OK top follows\r\nReturn-Path: <sender" + n + "@example.jp>\r\n";
    if (k % 3 == 0) {
        // 猫のお知らせ and 山田太郎 in ISO-2022-JP encoded words.
        reply += "Subject: =?ISO-2022-JP?B?GyRCRy0kTiQqQ04kaSQ7GyhC?= " + n + "\r\n";
        reply += "From: =?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <taro" + n + "@example.jp>\r\n";
    } else {
        reply += "Subject: message " + n + "\r\nFrom: Sender " + n + " <sender" + n + "@example.jp>\r\n";
    }
    reply += "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n";
    reply += "\x1b$B$3$s$K$A$O\x1b(B " + n + "\r\n\r\n..stuffed line " + n + "\r\nthird line\r\nfourth line\r\n.\r\n";
    return reply;
}

std::string listReply() {
    std::string reply = "+OK " + std::to_string(kMessages) + " messages\r\n";
    for (int k = 1; k <= kMessages; ++k) {
        reply += std::to_string(k) + " " + std::to_string(sizeOf(k)) + "\r\n";
    }
    return reply + ".\r\n";
}

std::string uidlReply() {
    std::string reply = "+OK\r\n";
    for (int k = 1; k <= kMessages; ++k) {
        reply += std::to_string(k) + " id-" + std::to_string(k * 7919) + "\r\n";
    }
    return reply + ".\r\n";
}

// The whole conversation; DELE steps only for a check that carries marks.
std::vector<Exchange> conversation(bool withDeletions, bool pipelined) {
    std::vector<Exchange> script = {pipelined ? Exchange{"CAPA", "+OK\r\nTOP\r\nUIDL\r\nPIPELINING\r\nUSER\r\n.\r\n"}
                                              : Exchange{"CAPA", "-ERR what?\r\n"},
                                    {"USER neko", "+OK\r\n"},
                                    {"PASS secret", "+OK\r\n"},
                                    {"STAT", "+OK " + std::to_string(kMessages) + " 123456\r\n"}};
    if (pipelined) {
        script.push_back({"UIDL", uidlReply()});
        script.push_back({"LIST", listReply()});
    }
    for (int k = 1; k <= kMessages; ++k) {
        script.push_back({"TOP " + std::to_string(k) + " 9", topReply(k)});
    }
    if (!pipelined) {
        script.push_back({"LIST", listReply()});
    }
    if (withDeletions) {
        for (int k : kMarked) {
            script.push_back({"DELE " + std::to_string(k), "+OK deleted\r\n"});
        }
    }
    script.push_back({"QUIT", "+OK bye\r\n", After::Close});
    return script;
}

// Pipelined, LIST comes right after UIDL; plain, after the last TOP.
int firstTopStep(bool pipelined) {
    return pipelined ? 6 : 4;
}
int lastTopStep(bool pipelined) {
    return firstTopStep(pipelined) + kMessages - 1;
}
int listStep(bool pipelined) {
    return pipelined ? 5 : lastTopStep(pipelined) + 1;
}
int lastReadStep(bool pipelined) {
    return std::max(listStep(pipelined), lastTopStep(pipelined));
}

bool isMultiLine(int step, bool pipelined) {
    return (pipelined && (step == 0 || step == 4)) || step == listStep(pipelined) ||
           (step >= firstTopStep(pipelined) && step <= lastTopStep(pipelined));
}

// Where the server drops the connection: after the greeting (step -1) or after step `step`'s reply, whole or cut
// in the middle.
struct Fault {
    int step;
    bool midReply;
    bool pipelined;
};

std::string faultName(const Fault& fault) {
    const std::vector<Exchange> script = conversation(true, fault.pipelined);
    std::string name = fault.step < 0 ? "greeting" : script[static_cast<std::size_t>(fault.step)].command;
    std::replace(name.begin(), name.end(), ' ', '_');
    return std::string(fault.pipelined ? "Pipelined_" : "Plain_") + (fault.midReply ? "InTheMiddleOf_" : "After_") +
           name;
}

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << faultName(fault);
}

std::vector<Fault> allFaults() {
    std::vector<Fault> faults;
    for (bool pipelined : {false, true}) {
        faults.push_back({-1, false, pipelined});
        for (int step = 0; step < static_cast<int>(conversation(true, pipelined).size()); ++step) {
            faults.push_back({step, false, pipelined});
            if (isMultiLine(step, pipelined)) {
                faults.push_back({step, true, pipelined});
            }
        }
    }
    return faults;
}

// The server's half of a faulty check: the script up to the fault, the last reply cut in half when the fault
// falls in its middle (so the cut lands inside a line), then the connection closes.
struct FaultyServer {
    std::string greeting;
    std::vector<Exchange> script;
    After afterGreeting = After::Nothing;
};

FaultyServer faultyServer(const Fault& fault) {
    std::vector<Exchange> full = conversation(true, fault.pipelined);
    if (fault.step < 0) {
        return {kGreeting, {}, After::Close};
    }
    std::vector<Exchange> script(full.begin(), full.begin() + fault.step + 1);
    Exchange& last = script.back();
    if (fault.midReply) {
        last.reply = last.reply.substr(0, last.reply.size() / 2 + 3);
    }
    last.after = After::Close;
    return {kGreeting, script, After::Nothing};
}

// What the rules give for a fault: the result the host hears, and the messages left in the list that is handed over
// (their numbers; sizes the ones LIST gave, or 0 for those LIST did not reach).
struct Outcome {
    std::string result;
    std::vector<int> listed;
    int sizedByList;               // entries 1..sizedByList have their LIST size, the rest 0
    bool deletionRefused = false;  // a DELE got no reply, so the check reports that not all were deleted
};

// Sizes that a LIST reply cut after `bytes` bytes gives: its complete lines after the status line.
int completeListLines(std::size_t bytes) {
    const std::string received = listReply().substr(0, bytes);
    return std::max(0, static_cast<int>(std::count(received.begin(), received.end(), '\n')) - 1);
}

Outcome expectedOutcome(const Fault& fault) {
    using namespace mail;
    const bool pipelined = fault.pipelined;
    // CAPA: a drop there leaves a closed connection and no extensions, so USER fails.
    if (fault.step <= 0) {
        return {"failed " + std::to_string(kErrUser), {}, 0};
    }
    if (fault.step == 1) {
        return {"failed " + std::to_string(kErrPass), {}, 0};
    }
    if (fault.step == 2 || (pipelined && fault.step <= 4 && (fault.step < 4 || fault.midReply))) {
        return {"failed " + std::to_string(kErrStat), {}, 0};  // STAT, or with ids the UIDL list, gets no (whole) reply
    }
    if (pipelined && fault.step == listStep(pipelined)) {
        return {"failed " + std::to_string(kErrTop), {}, 0};  // the sizes end where LIST broke off; TOP 1 gets nothing
    }
    if (fault.step <= lastTopStep(pipelined)) {
        const int lastTop = std::max(0, fault.step - firstTopStep(pipelined) + 1);  // 0 after STAT or UIDL
        if (fault.midReply && lastTop > 0) {
            return {"failed " + std::to_string(kErrTopRead), {}, 0};  // TOP lastTop breaks off while read
        }
        if (lastTop < kMessages) {
            return {"failed " + std::to_string(kErrTop), {}, 0};  // TOP lastTop + 1 gets no reply
        }
    }
    // Every message was read. Sizes come from the LIST lines that arrived whole. Without ids the deletion walk
    // sends DELE for the marked messages whose entry (sizes included) is unchanged, erasing each entry once its
    // DELE is accepted, and ends at the first DELE that fails, whose message stays listed. With ids every marked
    // message is asked for, whatever its size, and only those whose DELE the server confirmed leave the list.
    // Either way the user hears of every marked mail that was not deleted.
    int sized = fault.step > listStep(pipelined) ? kMessages : 0;
    if (fault.step == listStep(pipelined)) {
        sized = fault.midReply ? completeListLines(listReply().size() / 2 + 3) : kMessages;
    }
    // A DELE that gets no reply breaks the session: it ends without QUIT, so the server deletes none of them, and
    // every entry stays.
    const int deletesAnswered = std::max(0, fault.step - lastReadStep(pipelined));
    std::vector<int> erased;
    for (std::size_t i = 0; i < kMarked.size(); ++i) {
        if (!pipelined && kMarked[i] > sized) {
            break;  // its size is now 0: no longer the same message, and the walk goes on without a DELE
        }
        if (static_cast<int>(i) >= deletesAnswered) {
            erased.clear();
            break;
        }
        erased.push_back(kMarked[i]);
    }
    const bool refused = erased.size() < kMarked.size();
    // A marked message past the sized ones is skipped, but the walk still pairs the later ones by position: none
    // of them is sized either, so nothing more is erased. The count is of the mails left.
    Outcome outcome{"", {}, sized, refused};
    for (int k = 1; k <= kMessages; ++k) {
        if (std::find(erased.begin(), erased.end(), k) == erased.end()) {
            outcome.listed.push_back(k);
        }
    }
    outcome.result = "mail waiting " + std::to_string(outcome.listed.size());
    return outcome;
}

class CheckFaultInjectionTest : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        settings.server = "127.0.0.1";
        settings.user = "neko";
        settings.pass = "secret";
        settings.headCount = 2;
    }

    // Runs one check against the server with `previous` as the list it deletes from.
    void check(FakePop3Server& server, const mail::MailEntryList& previous) {
        check(server, previous, host);
    }
    void check(FakePop3Server& server, const mail::MailEntryList& previous, checktest::RecordingHost& into) {
        settings.pop3Port = server.port();
        net::Pop3Session session(net::kAfInet);
        checktest::CheckWorker worker(session, settings, into);
        checktest::runCheck(worker, previous);
    }

    // The list of a clean check of the mailbox, with the user's marks set.
    mail::MailEntryList markedList(bool pipelined) {
        FakePop3Server server(kGreeting, conversation(false, pipelined));
        checktest::RecordingHost cleanHost;
        settings.pop3Port = server.port();
        net::Pop3Session session(net::kAfInet);
        checktest::CheckWorker worker(session, settings, cleanHost);
        checktest::runCheck(worker);
        EXPECT_EQ(server.commands().size(), conversation(false, pipelined).size());
        const std::vector<mail::MailEntryList> lists = cleanHost.handedOver();
        if (lists.size() != 1 || lists.front().size() != static_cast<std::size_t>(kMessages)) {
            ADD_FAILURE() << "the clean check did not list the mailbox";
            return {};
        }
        mail::MailEntryList list = lists.front();
        int k = 1;
        for (mail::MailEntry& entry : list) {
            entry.deleteMark = std::find(kMarked.begin(), kMarked.end(), k++) != kMarked.end();
        }
        return list;
    }

    settings::Settings settings;
    checktest::RecordingHost host;
};

TEST_F(CheckFaultInjectionTest, WithoutAFaultTheMarkedMessagesAreDeleted) {
    for (bool pipelined : {false, true}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "plain");
        checktest::RecordingHost caseHost;
        const mail::MailEntryList previous = markedList(pipelined);
        FakePop3Server server(kGreeting, conversation(true, pipelined));
        check(server, previous, caseHost);
        std::vector<std::string> expected;
        for (const Exchange& exchange : conversation(true, pipelined)) {
            expected.push_back(exchange.command);
        }
        EXPECT_EQ(server.commands(), expected);
        ASSERT_EQ(caseHost.handedOver().size(), 1u);
        EXPECT_EQ(caseHost.handedOver().front().size(), static_cast<std::size_t>(kMessages) - kMarked.size());
    }
}

TEST_P(CheckFaultInjectionTest, EndsAsTheRulesSayAndDeletesNothingUnmarked) {
    const Fault fault = GetParam();
    const mail::MailEntryList previous = markedList(fault.pipelined);
    ASSERT_EQ(previous.size(), static_cast<std::size_t>(kMessages));

    const FaultyServer plan = faultyServer(fault);
    FakePop3Server server(plan.greeting, plan.script, plan.afterGreeting);
    check(server, previous);

    // The server read the commands up to the one whose reply broke off (pipelined, some of the window sent after
    // it may have arrived too); every DELE it got is one of the user's, in order.
    const std::vector<std::string> received = server.commands();
    std::vector<std::string> expectedCommands;
    for (const Exchange& exchange : plan.script) {
        expectedCommands.push_back(exchange.command);
    }
    if (fault.pipelined && received.size() > expectedCommands.size()) {
        EXPECT_EQ(std::vector<std::string>(received.begin(), received.begin() + expectedCommands.size()),
                  expectedCommands);
    } else {
        EXPECT_EQ(received, expectedCommands);
    }
    std::size_t deletes = 0;
    for (const std::string& command : received) {
        if (command.compare(0, 5, "DELE ") == 0) {
            ASSERT_LT(deletes, kMarked.size()) << command;
            EXPECT_EQ(command, "DELE " + std::to_string(kMarked[deletes++]));
        }
    }

    // One result, the one the rules give, and the list that goes with it.
    const Outcome expected = expectedOutcome(fault);
    const std::vector<std::string> calls = host.callsWithoutPolls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), checktest::isResult), 1);
    EXPECT_NE(std::find(calls.begin(), calls.end(), expected.result), calls.end()) << "expected " << expected.result;
    EXPECT_EQ(calls.back(), "ended");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "deletion refused"), expected.deletionRefused ? 1 : 0);

    const std::vector<mail::MailEntryList> lists = host.handedOver();
    ASSERT_EQ(lists.size(), 1u);
    std::vector<int> listed;
    for (const mail::MailEntry& entry : lists.front()) {
        // Entries carry their message's number in the subject text; the sizes show how far LIST got.
        const std::size_t digits = entry.subject.find_last_of(' ');
        ASSERT_NE(digits, std::string::npos) << entry.subject;
        const int k = std::stoi(entry.subject.substr(digits + 1));
        listed.push_back(k);
        EXPECT_EQ(entry.size, k <= expected.sizedByList ? sizeOf(k) : 0) << "message " << k;
        EXPECT_FALSE(entry.deleteMark);
    }
    EXPECT_EQ(listed, expected.listed);
}

INSTANTIATE_TEST_SUITE_P(EveryDrop,
                         CheckFaultInjectionTest,
                         ::testing::ValuesIn(allFaults()),
                         [](const ::testing::TestParamInfo<Fault>& info) { return faultName(info.param); });

}  // namespace
