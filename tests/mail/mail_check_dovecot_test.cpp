#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/mail/check_harness.h"
#include "tests/mail/sample_messages.h"
#include "tests/support/mailbox.h"
#include "tests/support/pop3_relay.h"
#include "tests/support/test_env.h"

// Whole checks against the real Dovecot of the test environment, over the generated sample mailbox.
namespace {

using checktest::Calls;
using checktest::endCalls;
using checktest::entry;
using checktest::startCalls;
using checktest::operator+;

class MailCheckDovecotTest : public checktest::DovecotCheckTest {
protected:
    void SetUp() override {
        DovecotCheckTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        for (const auto& sample : mailbox->samples()) {
            sampleTexts.push_back(sample.second);
        }
        ASSERT_EQ(sampleTexts.size(), 6u + samples::shownMessages().size());
        mailbox->reset(sampleTexts);
    }

    std::int32_t sizeOf(int sample) const {
        return static_cast<std::int32_t>(sampleTexts[sample - 1].size());
    }

    // What a check with two first lines makes of the samples (Dovecot counts sizes with CRLF, as the files are
    // written): the six generated ones, then the real-world shaped message files.
    std::vector<mail::MailEntry> expectedSamples() const {
        std::vector<mail::MailEntry> expected = {
            entry("Alice Example <alice@example.com>", "Lunch on Friday", "Hi, Shall we have lunch on Friday? ",
                  sizeOf(1)),
            entry("山田太郎 <taro@example.jp>", "会議のお知らせ", "皆様 明日の会議は十時からです。 ", sizeOf(2)),
            entry("Bob <bob@example.com>", "Report attached", "Here is the report. See the attachment. ", sizeOf(3)),
            // Without a preamble: the header still ends at its first empty line, the first part follows.
            entry("佐藤花子 <hanako@example.jp>", "写真を送ります", "旅行の写真です。 楽しかったね。 ", sizeOf(4)),
            entry("Carol <carol@example.com>", "Dots", ".hidden line starts with a dot ..two dots ", sizeOf(5)),
            entry("鈴木一郎 <ichiro@example.jp>", "来週の打ち合わせの日程と場所についてのご相談",
                  "日程の候補をお送りします。 ", sizeOf(6)),
        };
        for (const samples::ShownMessage& shown : samples::shownMessages()) {
            const int number = static_cast<int>(expected.size()) + 1;
            expected.push_back(entry(shown.from, shown.subject, shown.firstLines, sizeOf(number)));
        }
        return expected;
    }

    std::vector<std::string> sampleTexts;
    net::Pop3Session session{net::kAfInet};
};

TEST_F(MailCheckDovecotTest, TheSampleMailboxGivesItsSummaries) {
    for (bool apop : {false, true}) {
        SCOPED_TRACE(apop ? "APOP" : "USER/PASS");
        settings.apop = apop;
        checktest::RecordingHost host;
        checktest::CheckWorker worker(session, settings, host);
        checktest::runCheck(worker);

        const std::string count = std::to_string(sampleTexts.size());
        EXPECT_EQ(host.callsWithoutPolls(),
                  (startCalls() + Calls{"hand over " + count, "mail waiting " + count} + endCalls()));
        ASSERT_EQ(host.handedOver().size(), 1u);
        checktest::expectEntries(host.handedOver()[0], expectedSamples());
        EXPECT_EQ(mailbox->messages(), sampleTexts) << "a check without marks deletes nothing";
    }
}

// The user ticks mails in the list of one mailbox, then points the settings at another (here the same Dovecot by
// another name, so both lists hold the same mails): the ticks must not reach the new mailbox.
TEST_F(MailCheckDovecotTest, TicksFromAnotherMailboxesListDeleteNothingThere) {
    sampleTexts.resize(4);
    mailbox->reset(sampleTexts);
    for (const bool withIds : {false, true}) {
        SCOPED_TRACE(withIds ? "UIDL" : "no extensions");
        testenv::Pop3Relay plain(peer.port, !withIds);
        settings.pop3Port = withIds ? peer.port : plain.port();
        settings.server = "localhost";
        checktest::RecordingHost firstHost;
        checktest::CheckWorker first(session, settings, firstHost);
        checktest::runCheckAsListed(first, {});
        ASSERT_EQ(firstHost.handedOver().size(), 1u);
        mail::MailEntryList mailList = firstHost.handedOver()[0];
        ASSERT_EQ(mailList.size(), 4u);
        for (mail::MailEntry& entry : mailList) {
            entry.deleteMark = true;
        }

        settings.server = "127.0.0.1";
        checktest::RecordingHost secondHost;
        checktest::CheckWorker second(session, settings, secondHost);
        checktest::runCheckAsListed(second, mailList);
        EXPECT_EQ(secondHost.callsWithoutPolls(),
                  (startCalls() + Calls{"deletion refused", "hand over 4", "mail waiting 4"} + endCalls()));
        EXPECT_EQ(mailbox->messages(), sampleTexts);
    }
}

TEST_F(MailCheckDovecotTest, ADeletingCheckRemovesExactlyTheMarkedMessagesThatAreStillTheSame) {
    sampleTexts.resize(6);  // the six generated samples are enough here
    mailbox->reset(sampleTexts);
    // Dovecot without its extensions: rewriting the mailbox gives every message a new id, so only the plain
    // matching of texts and sizes can call them the same messages.
    testenv::Pop3Relay plain(peer.port, true);
    settings.pop3Port = plain.port();
    checktest::RecordingHost firstHost;
    checktest::CheckWorker first(session, settings, firstHost);
    checktest::runCheck(first);
    ASSERT_EQ(firstHost.handedOver().size(), 1u);
    mail::MailEntryList mailList = firstHost.handedOver()[0];
    ASSERT_EQ(mailList.size(), 6u);

    // The user marks messages 2, 4 and 5; message 5 then changes on the server, so it must stay.
    auto it = mailList.begin();
    std::next(it, 1)->deleteMark = true;
    std::next(it, 3)->deleteMark = true;
    std::next(it, 4)->deleteMark = true;
    std::vector<std::string> changed = sampleTexts;
    changed[4] += "An extra line.\r\n";
    mailbox->reset(changed);

    checktest::RecordingHost secondHost;
    checktest::CheckWorker second(session, settings, secondHost);
    checktest::runCheck(second, mailList);

    // Message 5 may still be there (it is): the user hears that not every ticked mail was deleted.
    EXPECT_EQ(secondHost.callsWithoutPolls(),
              (startCalls() + Calls{"deletion refused", "hand over 4", "mail waiting 4"} + endCalls()));
    std::vector<mail::MailEntry> expected = expectedSamples();
    expected[4].size = static_cast<std::int32_t>(changed[4].size());
    checktest::expectEntries(secondHost.handedOver()[0], {expected[0], expected[2], expected[4], expected[5]});
    EXPECT_EQ(mailbox->messages(), (std::vector<std::string>{changed[0], changed[2], changed[4], changed[5]}));
}

// Third-party mail as Dovecot passes it through: a bare CR right before a "." (which Dovecot does not stuff, since
// the dot does not begin a line) followed by text that looks like the next reply, and zero bytes. The list must be
// exactly the server's messages, and a deletion must hit exactly the ticked one.
TEST_F(MailCheckDovecotTest, BareCrsAndZeroBytesAreDataAndTheDeletionHitsTheTickedMail) {
    const std::string zero(1, '\0');
    const std::vector<std::string> messages = {
        "From: Shop <shop@example.com>\r\nSubject: Offer\r\n\r\nbuy now\r.\r\n+OK\r\n"
        "From: Mallory\r\nSubject: Invented\r\n\r\ninvented body\r\n",
        "From: Hanako <hanako@example.jp>\r\nSubject: Photos\r\n\r\nHere they are.\r\n",
        "From: Zero <zero@example.com>\r\nSubject: Zero" + zero + "Day\r\n\r\nnul" + zero + "here\r\n" + zero +
            "\r\n.\r\n",
        "From: Lawyer <lawyer@example.com>\r\nSubject: Contract\r\n\r\nPlease sign.\r\n",
    };
    mailbox->reset(messages);
    auto size = [&](int k) { return static_cast<std::int32_t>(messages[static_cast<std::size_t>(k)].size()); };
    const std::vector<mail::MailEntry> expected = {
        entry("Shop <shop@example.com>", "Offer", "buy now\r. +OK ", size(0)),
        entry("Hanako <hanako@example.jp>", "Photos", "Here they are. ", size(1)),
        entry("Zero <zero@example.com>", "Zero Day", "nul here   ", size(2)),
        entry("Lawyer <lawyer@example.com>", "Contract", "Please sign. ", size(3)),
    };

    checktest::RecordingHost firstHost;
    checktest::CheckWorker first(session, settings, firstHost);
    checktest::runCheck(first);
    EXPECT_EQ(firstHost.callsWithoutPolls(), (startCalls() + Calls{"hand over 4", "mail waiting 4"} + endCalls()));
    ASSERT_EQ(firstHost.handedOver().size(), 1u);
    checktest::expectEntries(firstHost.handedOver()[0], expected);

    mail::MailEntryList mailList = firstHost.handedOver()[0];
    std::next(mailList.begin(), 1)->deleteMark = true;  // the user ticks "Photos"
    checktest::RecordingHost secondHost;
    checktest::CheckWorker second(session, settings, secondHost);
    checktest::runCheck(second, mailList);

    EXPECT_EQ(secondHost.callsWithoutPolls(), (startCalls() + Calls{"hand over 3", "mail waiting 3"} + endCalls()));
    checktest::expectEntries(secondHost.handedOver()[0], {expected[0], expected[2], expected[3]});
    EXPECT_EQ(mailbox->messages(), (std::vector<std::string>{messages[0], messages[2], messages[3]}));
}

TEST_F(MailCheckDovecotTest, AnEmptyMailboxGivesNoMail) {
    mailbox->reset({});
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker, {entry("a", "b", "c ", 1, true)});

    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"no mail"} + endCalls()));
    EXPECT_TRUE(host.handedOver().empty());
}

TEST_F(MailCheckDovecotTest, AWrongPasswordIsError4) {
    settings.pass = "not-the-password";
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker);

    EXPECT_EQ(host.callsWithoutPolls(),
              (startCalls() +
               Calls{"clear started by timer", "show idle", "status (title)", "hand over 0", "failed 4"} + endCalls()));
    EXPECT_EQ(mailbox->messages(), sampleTexts);
}

// With UIDL and PIPELINING: each re-check fetches only the messages that are new since the last one (counted
// by a relay), and its list is the one a full check of the same mailbox gives.
TEST_F(MailCheckDovecotTest, ReChecksFetchOnlyNewMessagesAndListWhatAFullCheckLists) {
    sampleTexts.resize(6);  // the six generated samples are enough here
    mailbox->reset(sampleTexts);
    testenv::Pop3Relay relay(peer.port, false);
    settings.pop3Port = relay.port();
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    auto fullList = [&] {
        checktest::RecordingHost fullHost;
        net::Pop3Session fullSession(net::kAfInet);
        checktest::CheckWorker full(fullSession, settings, fullHost);
        checktest::runCheck(full);
        return fullHost.handedOver().empty() ? mail::MailEntryList{} : fullHost.handedOver().back();
    };
    auto deleteByOtherClient = [&](int k) {
        net::Pop3Session other(net::kAfInet);
        ASSERT_TRUE(other.create(net::kSockStream, 0));
        ASSERT_NE(other.open(peer.host.c_str(), peer.port), nullptr);
        ASSERT_TRUE(other.sendUser(peer.user));
        ASSERT_TRUE(other.sendPass(peer.pass));
        ASSERT_EQ(other.command(("DELE " + std::to_string(k)).c_str())[0], '+');
        ASSERT_EQ(other.command("QUIT")[0], '+');
    };
    struct Step {
        const char* name;
        std::function<void()> change;
        int newMessages;
    } steps[] = {
        {"first check", [] {}, 6},
        {"unchanged", [] {}, 0},
        {"two added", [&] { mailbox->append(sampleTexts[1]), mailbox->append(sampleTexts[0]); }, 2},
        {"two deleted by another client", [&] { deleteByOtherClient(2), deleteByOtherClient(5); }, 0},
        {"one deleted, one added", [&] { deleteByOtherClient(1), mailbox->append(sampleTexts[3]); }, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        relay.resetCounts();
        const std::size_t before = host.handedOver().size();
        checktest::runCheck(worker);
        EXPECT_EQ(relay.count("TOP"), step.newMessages);
        EXPECT_EQ(relay.count("UIDL"), 1);
        ASSERT_EQ(host.handedOver().size(), before + 1);
        const mail::MailEntryList list = host.handedOver().back();
        const mail::MailEntryList full = fullList();
        checktest::expectEntries(list, std::vector<mail::MailEntry>(full.begin(), full.end()));
        int fresh = 0;
        for (const mail::MailEntry& e : list) {
            fresh += e.isNew ? 1 : 0;
            EXPECT_FALSE(e.uniqueId.empty());
        }
        EXPECT_EQ(fresh, step.newMessages);
    }
}

TEST_F(MailCheckDovecotTest, WithIdsAMarkedMessageIsDeletedWhereverItMovedAndARewrittenOneStays) {
    sampleTexts.resize(6);  // the six generated samples are enough here
    mailbox->reset(sampleTexts);
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker);
    ASSERT_EQ(host.handedOver().size(), 1u);
    mail::MailEntryList mailList = host.handedOver()[0];
    // Marks on messages 2, 4 and 5; message 5 is then replaced by a changed copy (a new message with a new id)
    // and message 1 goes, so every message moves up.
    auto it = mailList.begin();
    std::next(it, 1)->deleteMark = true;
    std::next(it, 3)->deleteMark = true;
    std::next(it, 4)->deleteMark = true;
    const std::vector<std::string> texts = mailbox->messages();
    std::vector<std::string> kept = {texts[2], texts[5], texts[4] + "An extra line.\r\n"};
    // Another client removes messages 1 and 5; the changed copy arrives.
    for (int k : {5, 1}) {
        net::Pop3Session other(net::kAfInet);
        ASSERT_TRUE(other.create(net::kSockStream, 0));
        ASSERT_NE(other.open(peer.host.c_str(), peer.port), nullptr);
        ASSERT_TRUE(other.sendUser(peer.user));
        ASSERT_TRUE(other.sendPass(peer.pass));
        ASSERT_EQ(other.command(("DELE " + std::to_string(k)).c_str())[0], '+');
        ASSERT_EQ(other.command("QUIT")[0], '+');
    }
    mailbox->append(kept[2]);

    checktest::runCheck(worker, mailList);
    EXPECT_EQ(mailbox->messages(), kept);
    ASSERT_EQ(host.handedOver().size(), 2u);
    EXPECT_EQ(host.handedOver()[1].size(), 3u);
}

}  // namespace
