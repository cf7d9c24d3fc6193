#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mail/check_turns.h"
#include "mail/mailbox_worker.h"
#include "settings/settings_store.h"
#include "tests/mail/check_harness.h"
#include "tests/support/fake_pop3_server.h"

// Several mailboxes checked side by side, each against a fake server of its own, the way the application runs
// them: one worker per mailbox, at most four at once, the next started when one ends. One runner, one row per case.

namespace {

using testenv::After;
using testenv::Exchange;
using testenv::FakePop3Server;

// The owner's side of the round: which mailboxes ended, and how many checks ran at once at most.
class Round {
public:
    void started() {
        std::lock_guard<std::mutex> lock(mutex);
        peak = std::max(peak, ++active);
    }
    void ended(int mailbox) {
        std::lock_guard<std::mutex> lock(mutex);
        --active;
        ends.push_back(mailbox);
        changed.notify_all();
    }
    // The next mailbox whose check ended; -1 when none ends within a deadline far above any check here.
    int nextEnd() {
        std::unique_lock<std::mutex> lock(mutex);
        if (!changed.wait_for(lock, std::chrono::seconds(60), [this] { return !ends.empty(); })) {
            return -1;
        }
        const int mailbox = ends.front();
        ends.pop_front();
        return mailbox;
    }
    int mostAtOnce() {
        std::lock_guard<std::mutex> lock(mutex);
        return peak;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<int> ends;
    int active = 0;
    int peak = 0;
};

// Records like the single check's host, and tells the round when its check starts and ends.
class MailboxHost : public checktest::RecordingHost {
public:
    MailboxHost(Round& round, int mailbox) : round(round), mailbox(mailbox) {
    }
    void checkStarted() override {
        round.started();
        RecordingHost::checkStarted();
    }
    void checkEnded() override {
        RecordingHost::checkEnded();
        round.ended(mailbox);
    }
    // The result the check told, "" when it told none.
    std::string result() {
        for (const std::string& call : calls()) {
            if (checktest::isResult(call)) {
                return call;
            }
        }
        return "";
    }

private:
    Round& round;
    const int mailbox;
};

// What one mailbox's server does.
enum class Server {
    kMail,          // two messages, without extensions
    kUidl,          // two messages, with UIDL
    kRefusesPass,   // refuses the password
    kHangsToLimit,  // accepts the connection and says nothing: the check's one-second limit ends it
    kHangsToStop,   // the same with a long limit: only a stop ends it
};

const char* const kGreeting = "+OK fake ready\r\n";

std::string topOf(int k) {
    return checktest::topReply(k);
}

// One session of a check: CAPA, login, STAT, (UIDL), the TOP of each message not seen yet, LIST, the deletions.
std::vector<Exchange> session(bool uidl,
                              const std::vector<std::string>& ids,
                              const std::vector<int>& tops,
                              const std::vector<int>& deletions) {
    std::vector<Exchange> script{{"CAPA", uidl ? "+OK\r\nUIDL\r\n.\r\n" : "-ERR\r\n"},
                                 {"USER neko", "+OK\r\n"},
                                 {"PASS secret", "+OK\r\n"},
                                 {"STAT", "+OK " + std::to_string(ids.size()) + " 999\r\n"}};
    std::string sizes = "+OK\r\n";
    std::string idList = "+OK\r\n";
    for (std::size_t k = 1; k <= ids.size(); ++k) {
        sizes += std::to_string(k) + " 10" + std::to_string(k) + "\r\n";
        idList += std::to_string(k) + " " + ids[k - 1] + "\r\n";
    }
    if (uidl) {
        script.push_back({"UIDL", idList + ".\r\n"});
    }
    for (int k : tops) {
        script.push_back({"TOP " + std::to_string(k) + " 9", topOf(k)});
    }
    script.push_back({"LIST", sizes + ".\r\n"});
    for (int k : deletions) {
        script.push_back({"DELE " + std::to_string(k), "+OK\r\n"});
    }
    script.push_back({"QUIT", "+OK\r\n", After::Close});
    return script;
}

std::unique_ptr<FakePop3Server> serverFor(Server kind) {
    switch (kind) {
        case Server::kMail:
            return std::make_unique<FakePop3Server>(kGreeting, session(false, {"a", "b"}, {1, 2}, {}));
        case Server::kUidl:
            return std::make_unique<FakePop3Server>(kGreeting, session(true, {"a", "b"}, {1, 2}, {}));
        case Server::kRefusesPass:
            return std::make_unique<FakePop3Server>(
                kGreeting, std::vector<Exchange>{{"CAPA", "-ERR\r\n"},
                                                 {"USER neko", "+OK\r\n"},
                                                 {"PASS secret", "-ERR [AUTH] no\r\n", After::Close}});
        case Server::kHangsToLimit:
        case Server::kHangsToStop:
            return std::make_unique<FakePop3Server>("", std::vector<Exchange>{}, After::Hang);
    }
    return nullptr;
}

// The mailboxes of one case: a server, a host and a worker each, and the turns they take.
class Mailboxes {
public:
    explicit Mailboxes(const std::vector<Server>& kinds) : kinds(kinds) {
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            servers.push_back(serverFor(kinds[k]));
            hosts.push_back(std::make_unique<MailboxHost>(round, static_cast<int>(k)));
            workers.push_back(std::make_unique<mail::MailboxWorker>(*hosts.back()));
            settings::Settings box;
            box.server = "127.0.0.1";
            box.pop3Port = servers.back()->port();
            box.user = "neko";
            box.pass = "secret";
            box.name = "box " + std::to_string(k);
            box.timeoutSec = kinds[k] == Server::kHangsToLimit ? 1 : 600;
            boxes.push_back(box);
        }
    }

    // Asks for a check of each of these mailboxes, `previous` their lists, and starts what fits.
    void ask(const std::vector<int>& which, const mail::MailEntryList& previous = {}) {
        for (int k : which) {
            turns.add(k);
        }
        turns.startWhatFits([&](int k) {
            settings::Settings copy = boxes[static_cast<std::size_t>(k)];
            workers[static_cast<std::size_t>(k)]->prepare(mail::entriesOfMailbox(previous, k),
                                                          settings::takeCheckSettings(copy, k));
            return workers[static_cast<std::size_t>(k)]->Start();
        });
        startWith = previous;
    }

    // Reaps each check that ends and starts the next in turn, until none runs or waits, or with `onlySilent`
    // until every check that runs waits on a server that stays silent until the stop.
    void finish(bool onlySilent = false) {
        while (!turns.idle() && !(onlySilent && allRunningSilent())) {
            const int k = round.nextEnd();
            ASSERT_NE(-1, k) << "a check did not end";
            ASSERT_TRUE(workers[static_cast<std::size_t>(k)]->Wait(worker::kInfinite));
            turns.ended(k);
            ask({}, startWith);
        }
    }

    bool allRunningSilent() const {
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            if (turns.running(static_cast<int>(k)) && kinds[k] != Server::kHangsToStop) {
                return false;
            }
        }
        return true;
    }

    // The stop command: nothing more starts, and every running check is asked to end.
    void stopAll() {
        turns.dropWaiting();
        for (std::size_t k = 0; k < workers.size(); ++k) {
            if (turns.running(static_cast<int>(k))) {
                workers[k]->stop();
            }
        }
    }

    // The list the owner holds after the round: each mailbox's last hand-over in its place.
    mail::MailEntryList combined() {
        mail::MailEntryList all;
        for (std::size_t k = 0; k < hosts.size(); ++k) {
            const auto lists = hosts[k]->handedOver();
            if (!lists.empty()) {
                mail::replaceEntriesOfMailbox(all, static_cast<int>(k), lists.back());
            }
        }
        return all;
    }

    std::vector<Server> kinds;
    Round round;
    mail::CheckTurns turns;
    std::vector<std::unique_ptr<FakePop3Server>> servers;
    std::vector<std::unique_ptr<MailboxHost>> hosts;
    std::vector<settings::Settings> boxes;
    mail::MailEntryList startWith;
    // Last: the workers stop and reap their threads before the hosts and servers go.
    std::vector<std::unique_ptr<mail::MailboxWorker>> workers;
};

struct RoundCase {
    const char* what;
    std::vector<Server> servers;
    bool stopOnceHanging;              // the stop command once every running check waits on its silent server
    std::vector<std::string> results;  // per mailbox; "" none told, "never" not even started
    int mostAtOnce;                    // checks that ran at once at most; 0: only that it stays within four
};

const RoundCase kRounds[] = {
    {"six mailboxes: one refused, one silent until its limit, the others with mail",
     {Server::kMail, Server::kRefusesPass, Server::kUidl, Server::kHangsToLimit, Server::kMail, Server::kUidl},
     false,
     {"mail waiting 2", "failed 4", "mail waiting 2", "failed 11", "mail waiting 2", "mail waiting 2"},
     0},
    {"five silent mailboxes: four at once, the stop ends them and the fifth never starts",
     {Server::kHangsToStop, Server::kHangsToStop, Server::kHangsToStop, Server::kHangsToStop, Server::kHangsToStop},
     true,
     {"", "", "", "", "never"},
     4},
    {"the stop while two silent ones run beside a finished one",
     {Server::kMail, Server::kHangsToStop, Server::kHangsToStop},
     true,
     {"mail waiting 2", "", ""},
     0},
    {"one mailbox alone", {Server::kUidl}, false, {"mail waiting 2"}, 1},
};

TEST(MailboxChecksTest, RoundsOfSeveralMailboxes) {
    for (const RoundCase& row : kRounds) {
        SCOPED_TRACE(row.what);
        Mailboxes boxes(row.servers);
        std::vector<int> all;
        for (std::size_t k = 0; k < row.servers.size(); ++k) {
            all.push_back(static_cast<int>(k));
        }
        boxes.ask(all);
        for (int k : all) {
            EXPECT_FALSE(boxes.turns.add(k)) << "mailbox " << k << " asked for twice";
        }
        if (row.stopOnceHanging) {
            boxes.finish(true);
            for (std::size_t k = 0; k < row.servers.size(); ++k) {
                if (boxes.turns.running(static_cast<int>(k)) && row.servers[k] == Server::kHangsToStop) {
                    boxes.servers[k]->waitUntilHanging();
                }
            }
            boxes.stopAll();
        }
        boxes.finish();
        for (std::size_t k = 0; k < row.servers.size(); ++k) {
            SCOPED_TRACE("mailbox " + std::to_string(k));
            const std::vector<std::string> calls = boxes.hosts[k]->callsWithoutPolls();
            if (row.results[k] == "never") {
                EXPECT_TRUE(calls.empty());
                continue;
            }
            EXPECT_EQ(row.results[k], boxes.hosts[k]->result());
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ("started", calls.front());
            EXPECT_EQ("ended", calls.back());
        }
        EXPECT_LE(boxes.round.mostAtOnce(), mail::kMaxChecksAtOnce);
        if (row.mostAtOnce > 0) {
            EXPECT_EQ(row.mostAtOnce, boxes.round.mostAtOnce());
        }
        // Every entry carries the mailbox it came from, its number and its name.
        for (const mail::MailEntry& entry : boxes.combined()) {
            ASSERT_NE(nullptr, entry.mailbox);
            EXPECT_EQ("box " + std::to_string(entry.mailbox->index), entry.mailbox->name);
            EXPECT_EQ(boxes.boxes[static_cast<std::size_t>(entry.mailbox->index)].pop3Port, entry.mailbox->port);
        }
    }
}

// Deletion across mailboxes: only the mailboxes with ticked mail are checked again, and each DELE goes to the
// server its mail came from, by id where that server has UIDL.
struct DeletionCase {
    const char* what;
    bool uidl[2];
    std::vector<int> ticked;  // rows of the combined list, 0 based
    // The second session of each server; empty: it is never connected again.
    std::vector<Exchange> second[2];
};

const DeletionCase kDeletions[] = {
    {"the same two messages on both servers, the second server's first ticked",
     {false, false},
     {2},
     {{}, session(false, {"a", "b"}, {1, 2}, {1})}},
    {"ticks on both, UIDL on the first only, where a new message came in front",
     {true, false},
     {1, 2},
     {session(true, {"new", "a", "b"}, {1}, {3}), session(false, {"a", "b"}, {1, 2}, {1})}},
    {"UIDL on the second only",
     {false, true},
     {0, 3},
     {session(false, {"a", "b"}, {1, 2}, {1}), session(true, {"b"}, {}, {1})}},
};

TEST(MailboxChecksTest, DeletionReachesOnlyTheServerOfEachTickedMail) {
    for (const DeletionCase& row : kDeletions) {
        SCOPED_TRACE(row.what);
        Mailboxes boxes({row.uidl[0] ? Server::kUidl : Server::kMail, row.uidl[1] ? Server::kUidl : Server::kMail});
        for (int k = 0; k < 2; ++k) {
            if (!row.second[k].empty()) {
                boxes.servers[static_cast<std::size_t>(k)]->thenServe(row.second[k]);
            }
        }
        boxes.ask({0, 1});
        boxes.finish();
        mail::MailEntryList list = boxes.combined();
        ASSERT_EQ(4u, list.size());
        int row_ = 0;
        for (mail::MailEntry& entry : list) {
            entry.deleteMark = std::find(row.ticked.begin(), row.ticked.end(), row_++) != row.ticked.end();
        }
        boxes.ask(mail::mailboxesWithMarks(list), list);
        boxes.finish();
        for (std::size_t k = 0; k < 2; ++k) {
            SCOPED_TRACE("server " + std::to_string(k));
            std::vector<Exchange> both = session(row.uidl[k], {"a", "b"}, {1, 2}, {});
            both.insert(both.end(), row.second[k].begin(), row.second[k].end());
            EXPECT_EQ(checktest::commandsOf(both, false), boxes.servers[k]->commands());
            EXPECT_EQ(row.second[k].empty() ? 1u : 2u, boxes.hosts[k]->handedOver().size());
        }
    }
}

// The owner's list: each mailbox's entries stay together in the order of the mailboxes, whatever order the
// checks end in, and a mailbox's new list replaces only its own.
TEST(MailboxChecksTest, TheCombinedListKeepsEachMailboxInItsPlace) {
    const auto listOf = [](int mailbox, std::vector<std::string> subjects) {
        const auto id = std::make_shared<const mail::MailboxId>(mail::MailboxId{"s", 110, "u", mailbox, {}});
        mail::MailEntryList list;
        for (const std::string& subject : subjects) {
            list.push_back(checktest::entry("f", subject, "", 1));
            list.back().mailbox = id;
        }
        return list;
    };
    const auto subjects = [](const mail::MailEntryList& list) {
        std::string text;
        for (const mail::MailEntry& entry : list) {
            text += entry.subject + std::to_string(mail::mailboxIndexOf(entry)) + ' ';
        }
        return text;
    };
    mail::MailEntryList all;
    mail::replaceEntriesOfMailbox(all, 2, listOf(2, {"c", "d"}));
    mail::replaceEntriesOfMailbox(all, 0, listOf(0, {"a"}));
    mail::replaceEntriesOfMailbox(all, 1, listOf(1, {"b"}));
    EXPECT_EQ("a0 b1 c2 d2 ", subjects(all));
    mail::replaceEntriesOfMailbox(all, 2, listOf(2, {"e"}));
    mail::replaceEntriesOfMailbox(all, 0, {});
    EXPECT_EQ("b1 e2 ", subjects(all));
    EXPECT_EQ("e2 ", subjects(mail::entriesOfMailbox(all, 2)));
    all.back().deleteMark = true;
    all.front().deleteMark = true;
    EXPECT_EQ((std::vector<int>{1, 2}), mail::mailboxesWithMarks(all));
}

}  // namespace
