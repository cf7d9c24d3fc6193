#include "mail/mail_entry.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

mail::MailEntry sample() {
    mail::MailEntry entry;
    entry.from = "山田太郎 <taro@example.jp>";
    entry.subject = "会議の件";
    entry.firstLines = "お疲れさまです。 明日の会議ですが ";
    entry.size = 2048;
    return entry;
}

TEST(MailEntry, StartsEmptyUnmarkedAndSizeless) {
    const mail::MailEntry entry;
    EXPECT_EQ("", entry.from);
    EXPECT_EQ("", entry.subject);
    EXPECT_EQ("", entry.firstLines);
    EXPECT_EQ(0, entry.size);
    EXPECT_FALSE(entry.deleteMark);
}

TEST(MailEntry, CopiesCarryEveryFieldAndTheMark) {
    mail::MailEntry marked = sample();
    marked.deleteMark = true;

    const mail::MailEntry copy(marked);
    EXPECT_TRUE(copy.deleteMark);
    EXPECT_TRUE(copy.matches(marked));

    mail::MailEntry assigned;
    assigned = marked;
    EXPECT_TRUE(assigned.deleteMark);
    EXPECT_EQ(marked.from, assigned.from);
    EXPECT_EQ(marked.subject, assigned.subject);
    EXPECT_EQ(marked.firstLines, assigned.firstLines);
    EXPECT_EQ(2048, assigned.size);
}

TEST(MailEntry, MatchesOnlyTheSameTextsAndSize) {
    struct MatchCase {
        const char* name;
        void (*change)(mail::MailEntry&);
        bool matches;
    };
    const MatchCase cases[] = {
        {"identical", [](mail::MailEntry&) {}, true},
        {"other mark", [](mail::MailEntry& e) { e.deleteMark = true; }, true},
        {"from in other case", [](mail::MailEntry& e) { e.from = "山田太郎 <Taro@example.jp>"; }, false},
        {"subject with trailing blank", [](mail::MailEntry& e) { e.subject += ' '; }, false},
        {"first lines without trailing blank", [](mail::MailEntry& e) { e.firstLines.pop_back(); }, false},
        {"subject empty", [](mail::MailEntry& e) { e.subject.clear(); }, false},
        {"other size", [](mail::MailEntry& e) { e.size = 2049; }, false},
        {"size unknown", [](mail::MailEntry& e) { e.size = 0; }, false},
        {"from and subject swapped", [](mail::MailEntry& e) { std::swap(e.from, e.subject); }, false},
    };
    const mail::MailEntry base = sample();
    for (const auto& c : cases) {
        mail::MailEntry other = sample();
        c.change(other);
        EXPECT_EQ(c.matches, base.matches(other)) << c.name;
        EXPECT_EQ(c.matches, other.matches(base)) << c.name;
    }
}

TEST(MailEntryList, CopyAssigningAShorterListLeavesItsEntriesAndMarks) {
    mail::MailEntryList shown(3, sample());
    for (auto& entry : shown) {
        entry.deleteMark = true;
    }
    mail::MailEntryList fresh(2, sample());
    fresh.back().subject = "second";

    shown = fresh;
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("second", shown.back().subject);
    for (const auto& entry : shown) {
        EXPECT_FALSE(entry.deleteMark);
    }
}

}  // namespace
