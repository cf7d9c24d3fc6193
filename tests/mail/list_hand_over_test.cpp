#include <gtest/gtest.h>

#include <thread>

#include "mail/list_hand_over.h"

namespace {

using mail::ListHandOver;
using mail::MailEntry;
using mail::MailEntryList;

MailEntry entry(const char* subject, bool marked = false) {
    MailEntry result;
    result.subject = subject;
    result.deleteMark = marked;
    return result;
}

TEST(ListHandOverTest, NothingWaitingLeavesTheListAlone) {
    ListHandOver handOver;
    MailEntryList mailList{entry("kept", true)};
    EXPECT_FALSE(handOver.applyTo(mailList));
    ASSERT_EQ(mailList.size(), 1u);
    EXPECT_TRUE(mailList.front().deleteMark);
}

TEST(ListHandOverTest, AListPutOnTheWorkerIsAppliedOnceOnTheOwner) {
    ListHandOver handOver;
    std::thread worker([&] { handOver.put(MailEntryList{entry("new")}); });
    worker.join();

    MailEntryList mailList{entry("old 1", true), entry("old 2", true)};
    EXPECT_TRUE(handOver.applyTo(mailList));
    ASSERT_EQ(mailList.size(), 1u);
    EXPECT_EQ(mailList.front().subject, "new");
    EXPECT_FALSE(mailList.front().deleteMark);

    mailList.front().deleteMark = true;
    EXPECT_FALSE(handOver.applyTo(mailList)) << "applied only once";
    EXPECT_TRUE(mailList.front().deleteMark);
}

TEST(ListHandOverTest, AnEmptyListClearsAndALaterPutReplacesAnUnappliedOne) {
    ListHandOver handOver;
    handOver.put(MailEntryList{entry("superseded")});
    handOver.put(MailEntryList{});
    MailEntryList mailList{entry("old")};
    EXPECT_TRUE(handOver.applyTo(mailList));
    EXPECT_TRUE(mailList.empty());
}

}  // namespace
