#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/mail/check_harness.h"
#include "tests/support/mailbox.h"
#include "tests/support/pop3_relay.h"
#include "tests/support/test_env.h"

// Deletion safety against the real Dovecot: a check lists the mailbox and the user marks some messages; before
// the check that carries out the deletion, another client deletes and adds messages at random (seeded), copies
// of messages already there among them. Through a relay that hides Dovecot's extensions, the deleting check
// must remove exactly the marked messages whose summary the message now at their position `matches`; with UIDL,
// exactly the marked messages that are still there, wherever they moved, and never their identical copies.
//
// QV_DELETION_SAFETY_CASES (default 120) sets the number of random cases, QV_DELETION_SAFETY_SEED the first seed;
// even seeds run without extensions, odd ones with UIDL.
namespace {

int envNumber(const char* name, int fallback) {
    const std::string text = testenv::env(name);
    return text.empty() ? fallback : std::atoi(text.c_str());
}

// Messages drawn from small pools, so that equal summaries (even equal texts) turn up at different positions:
// the hard case for a deletion that pairs messages by position.
std::string randomMessage(std::mt19937& random) {
    static const char* const kSenders[] = {"Alice <alice@example.com>", "Bob <bob@example.com>",
                                           "=?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <taro@example.jp>"};
    static const char* const kSubjects[] = {"Lunch", "Report", "=?ISO-2022-JP?B?GyRCRy0kTiQqQ04kaSQ7GyhC?="};
    static const char* const kBodies[] = {"Hello.\r\n\r\nSee you.\r\n", "Hello.\r\n\r\nSee you!\r\n",
                                          "\x1b$B$3$s$K$A$O\x1b(B\r\nsecond\r\n"};
    static const char* const kTails[] = {"", "tail A\r\n", "tail B\r\n"};  // past the first lines: same summary
    auto pick = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); };
    std::string text = "From: " + std::string(kSenders[pick(3)]) + "\r\nSubject: " + kSubjects[pick(3)] +
                       "\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n";
    return text + kBodies[pick(3)] + "third\r\n" + kTails[pick(3)];
}

class CheckDeletionSafetyTest : public checktest::DovecotCheckTest {
protected:
    void TearDown() override {
        if (mailbox) {
            mailbox->reset({});
        }
    }

    // One check with `previous` as the list it deletes from; the list it hands over (empty when none).
    mail::MailEntryList check(const mail::MailEntryList& previous) {
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        checktest::runCheck(worker, previous);
        const std::vector<mail::MailEntryList> lists = host.handedOver();
        return lists.empty() ? mail::MailEntryList{} : lists.front();
    }

    // Another client deletes message k (numbered as it sees the mailbox) and logs out.
    void deleteByOtherClient(int k) {
        net::Pop3Session other(net::kAfInet);
        ASSERT_TRUE(other.create(net::kSockStream, 0));
        ASSERT_NE(other.open(peer.host.c_str(), peer.port), nullptr);
        ASSERT_TRUE(other.sendUser(peer.user));
        ASSERT_TRUE(other.sendPass(peer.pass));
        const std::string dele = "DELE " + std::to_string(k);
        ASSERT_EQ(other.command(dele.c_str())[0], '+');
        ASSERT_EQ(other.command("QUIT")[0], '+');
        other.close();
    }

    void runCase(unsigned seed);

    net::Pop3Session session{net::kAfInet};
    int casesRun = 0;
    int deletionsSeen = 0;
    int keptBecauseChanged = 0;
    int copiesKept = 0;
};

void CheckDeletionSafetyTest::runCase(unsigned seed) {
    const bool ids = seed % 2 == 1;
    SCOPED_TRACE("seed " + std::to_string(seed) + (ids ? " with UIDL" : " without extensions"));
    std::mt19937 random(seed);
    testenv::Pop3Relay plain(peer.port, true);
    settings.pop3Port = ids ? peer.port : plain.port();
    auto chance = [&](int percent) { return std::uniform_int_distribution<int>(1, 100)(random) <= percent; };

    std::vector<std::string> initial;
    const int count = std::uniform_int_distribution<int>(1, 7)(random);
    for (int i = 0; i < count; ++i) {
        initial.push_back(randomMessage(random));
    }
    mailbox->reset(initial);

    // The listing check, and the user's marks.
    mail::MailEntryList listed = check({});
    ASSERT_EQ(listed.size(), initial.size());
    std::vector<int> marked;
    int k = 1;
    for (mail::MailEntry& entry : listed) {
        entry.deleteMark = chance(50);
        if (entry.deleteMark) {
            marked.push_back(k);
        }
        ++k;
    }

    // Meanwhile another client deletes some messages and new ones arrive.
    const int changes = std::uniform_int_distribution<int>(0, 3)(random);
    for (int i = 0; i < changes; ++i) {
        const int held = static_cast<int>(mailbox->messages().size());
        if (held > 0 && chance(50)) {
            ASSERT_NO_FATAL_FAILURE(deleteByOtherClient(std::uniform_int_distribution<int>(1, held)(random)));
        } else if (held > 0 && chance(50)) {
            // An identical copy of a message already there: same texts and size, another id.
            const std::vector<std::string> texts = mailbox->messages();
            mailbox->append(texts[std::uniform_int_distribution<std::size_t>(0, texts.size() - 1)(random)]);
        } else {
            mailbox->append(randomMessage(random));
        }
    }
    const std::vector<std::string> before = mailbox->messages();

    // What the mailbox now looks like to a check (which deletes nothing without marks).
    const mail::MailEntryList current = check({});
    ASSERT_EQ(current.size(), before.size());

    // The deleting check.
    check(listed);
    const std::vector<std::string> after = mailbox->messages();

    std::vector<std::string> expected;
    if (ids) {
        // Exactly the marked messages still there, found by id; an identical copy (another id) stays.
        std::vector<std::string> markedIds;
        for (const mail::MailEntry& entry : listed) {
            if (entry.deleteMark) {
                markedIds.push_back(entry.uniqueId);
            }
        }
        auto now = current.begin();
        for (std::size_t i = 0; i < before.size(); ++i, ++now) {
            ASSERT_FALSE(now->uniqueId.empty());
            const bool wasMarked = std::count(markedIds.begin(), markedIds.end(), now->uniqueId) > 0;
            if (wasMarked) {
                ++deletionsSeen;
                continue;
            }
            expected.push_back(before[i]);
            const bool copyOfMarked = std::any_of(listed.begin(), listed.end(), [&](const mail::MailEntry& old) {
                return old.deleteMark && old.matches(*now);
            });
            copiesKept += copyOfMarked ? 1 : 0;
        }
        ++casesRun;
        EXPECT_EQ(after, expected) << "marked: " << ::testing::PrintToString(marked) << ", changes: " << changes;
        return;
    }
    // Exactly the marked messages whose position now holds a message that matches them are gone.
    auto now = current.begin();
    auto old = listed.begin();
    const bool walk = !listed.empty() && listed.size() <= current.size();
    for (std::size_t i = 0; i < before.size(); ++i, ++now) {
        const bool deleted = walk && old != listed.end() && old->deleteMark && now->matches(*old);
        if (!deleted) {
            expected.push_back(before[i]);
            if (walk && old != listed.end() && old->deleteMark) {
                ++keptBecauseChanged;
            }
        } else {
            ++deletionsSeen;
        }
        if (old != listed.end()) {
            ++old;
        }
    }
    ++casesRun;
    EXPECT_EQ(after, expected) << "marked: " << ::testing::PrintToString(marked) << ", changes: " << changes;
}

TEST_F(CheckDeletionSafetyTest, ConcurrentChangesNeverLeadToTheWrongDeletion) {
    const int cases = envNumber("QV_DELETION_SAFETY_CASES", 120);
    const unsigned firstSeed = static_cast<unsigned>(envNumber("QV_DELETION_SAFETY_SEED", 1));
    for (int i = 0; i < cases && !HasFatalFailure(); ++i) {
        runCase(firstSeed + static_cast<unsigned>(i));
    }
    // The random cases must have exercised every side of the rules.
    EXPECT_GT(deletionsSeen, 0);
    EXPECT_GT(keptBecauseChanged, 0);
    EXPECT_GT(copiesKept, 0);
    std::printf(
        "%d cases run: %d messages deleted, %d marked ones kept because their position changed, %d identical "
        "copies of marked ones kept\n",
        casesRun, deletionsSeen, keptBecauseChanged, copiesKept);
}

}  // namespace
