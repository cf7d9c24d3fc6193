#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/mail/check_harness.h"
#include "tests/mail/sample_messages.h"
#include "tests/support/mailbox.h"
#include "tests/support/test_env.h"

// Whole checks against the real Dovecot of the test environment, over the generated sample mailbox.
namespace {

using checktest::endCalls;
using checktest::entry;
using checktest::startCalls;
using Calls = std::vector<std::string>;

Calls operator+(Calls left, const Calls& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

class MailCheckDovecotTest : public checktest::DovecotCheckTest {
protected:
    void SetUp() override {
        DovecotCheckTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
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

        EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"hand over 17", "post 102 17"} + endCalls()));
        ASSERT_EQ(host.handedOver().size(), 1u);
        checktest::expectEntries(host.handedOver()[0], expectedSamples());
        EXPECT_EQ(mailbox->messages(), sampleTexts) << "a check without marks deletes nothing";
    }
}

TEST_F(MailCheckDovecotTest, ADeletingCheckRemovesExactlyTheMarkedMessagesThatAreStillTheSame) {
    sampleTexts.resize(6);  // the six generated samples are enough here
    mailbox->reset(sampleTexts);
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

    EXPECT_EQ(secondHost.callsWithoutPolls(), (startCalls() + Calls{"hand over 4", "post 102 6"} + endCalls()));
    std::vector<mail::MailEntry> expected = expectedSamples();
    expected[4].size = static_cast<std::int32_t>(changed[4].size());
    checktest::expectEntries(secondHost.handedOver()[0], {expected[0], expected[2], expected[4], expected[5]});
    EXPECT_EQ(mailbox->messages(), (std::vector<std::string>{changed[0], changed[2], changed[4], changed[5]}));
}

TEST_F(MailCheckDovecotTest, AnEmptyMailboxGivesNoMail) {
    mailbox->reset({});
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker, {entry("a", "b", "c ", 1, true)});

    EXPECT_EQ(host.callsWithoutPolls(), (startCalls() + Calls{"post 101 0"} + endCalls()));
    EXPECT_TRUE(host.handedOver().empty());
}

TEST_F(MailCheckDovecotTest, AWrongPasswordIsError4) {
    settings.pass = "not-the-password";
    checktest::RecordingHost host;
    checktest::CheckWorker worker(session, settings, host);
    checktest::runCheck(worker);

    EXPECT_EQ(
        host.callsWithoutPolls(),
        (startCalls() + Calls{"clear started by timer", "show idle", "status (title)", "hand over 0", "post 105 4"} +
         endCalls()));
    EXPECT_EQ(mailbox->messages(), sampleTexts);
}

}  // namespace
