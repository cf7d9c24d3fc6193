#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "mail/known_mail.h"
#include "mail/pipeline_window.h"
#include "mail/unique_ids.h"

// The pure parts behind UIDL and PIPELINING.
namespace {

TEST(UniqueIds, ValidIdsAreOneToSeventyPrintableCharacters) {
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(mail::isValidUniqueId(std::string(1, static_cast<char>(c))), c >= 0x21 && c <= 0x7E) << c;
    }
    EXPECT_TRUE(mail::isValidUniqueId(std::string(70, 'a')));
    EXPECT_FALSE(mail::isValidUniqueId(std::string(71, 'a')));
    EXPECT_FALSE(mail::isValidUniqueId(""));
}

TEST(UniqueIds, AReplyIsTrustedOnlyWhenItNamesEachMessageOnceInOrder) {
    using Lines = std::vector<std::string>;
    const struct {
        Lines lines;
        int count;
        bool trusted;
    } cases[] = {
        {{"1 a", "2 b"}, 2, true},  {{}, 0, true},
        {{"1 a"}, 2, false},        {{"1 a", "2 b", "3 c"}, 2, false},
        {{"1 a", "2 a"}, 2, false}, {{"2 a", "1 b"}, 2, false},
        {{"1 a", "3 b"}, 2, false}, {{"1  a"}, 1, false},
        {{"1 a "}, 1, false},       {{"01 a"}, 1, false},
        {{"1"}, 1, false},          {{"1 a"}, -1, false},
    };
    for (const auto& c : cases) {
        const auto ids = mail::parseUniqueIds(c.lines, c.count);
        EXPECT_EQ(ids.has_value(), c.trusted) << ::testing::PrintToString(c.lines);
    }
    EXPECT_EQ(mail::parseUniqueIds({"1 x~!", "2 Y"}, 2), (std::vector<std::string>{"x~!", "Y"}));
}

// A server model for the window: what was sent and when, checked against the bounds at every reply.
TEST(PipelineWindow, RandomRunsKeepTheBoundsTheOrderAndTheEndRules) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t count = random() % 60;
        mail::PipelineLimits limits;
        limits.maxCommands = 1 + random() % 10;
        limits.maxBytes = 8 + random() % 80;
        std::vector<std::string> commands;
        for (std::size_t i = 0; i < count; ++i) {
            commands.push_back("CMD " + std::to_string(i) + std::string(random() % 30, 'x'));
        }
        const std::size_t stopAt = random() % (count + 5);  // a reply that ends or drains the run
        const bool drain = random() % 2 == 0;
        const std::size_t failSend = random() % 4 == 0 ? random() % 6 : 1000;

        std::string sent;
        std::size_t sends = 0, sentCommands = 0, handled = 0;
        const std::size_t result = mail::runPipelined(
            commands, limits,
            [&](const std::string& text) {
                if (sends++ == failSend) {
                    return false;
                }
                sent += text;
                for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
                    ++sentCommands;
                }
                return true;
            },
            [&](std::size_t index) {
                EXPECT_EQ(index, handled++) << "replies in order";
                // In flight: the commands sent and not yet answered, this one included.
                const std::size_t inFlight = sentCommands - index;
                EXPECT_GE(inFlight, 1u);
                EXPECT_LE(inFlight, limits.maxCommands);
                std::size_t bytes = 0;
                for (std::size_t i = index; i < sentCommands; ++i) {
                    bytes += commands[i].size() + 2;
                }
                EXPECT_TRUE(bytes <= limits.maxBytes || inFlight == 1) << bytes;
                if (index == stopAt) {
                    return drain ? mail::AfterReply::Drain : mail::AfterReply::End;
                }
                return mail::AfterReply::Next;
            });
        // The commands went out whole, in order, each once.
        std::string expected;
        for (std::size_t i = 0; i < sentCommands; ++i) {
            expected += commands[i] + "\r\n";
        }
        ASSERT_EQ(sent, expected);
        EXPECT_EQ(result, handled);
        if (sends <= failSend && stopAt >= count) {
            EXPECT_EQ(handled, count) << "without a stop every reply is read";
        }
        if (stopAt < count && sends <= failSend) {
            // End stops at that reply; Drain reads the replies already sent and sends nothing more.
            EXPECT_EQ(handled, drain ? sentCommands : stopAt + 1);
        }
    }
}

mail::MailEntry mailWith(const std::string& id, const std::string& subject, int size) {
    mail::MailEntry entry;
    entry.uniqueId = id;
    entry.subject = subject;
    entry.size = size;
    return entry;
}

TEST(KnownMail, NewIsNotSeenByTheLastCheckOfTheSameMailbox) {
    mail::KnownMail known;
    known.useMailbox("box");
    mail::MailEntryList first = {mailWith("a", "s", 1), mailWith("", "t", 2)};
    known.markNew(first);
    EXPECT_TRUE(first.front().isNew && first.back().isNew) << "before any check everything is new";
    known.remember(first);

    mail::MailEntryList second = {mailWith("a", "changed", 9), mailWith("b", "s", 1), mailWith("", "t", 2),
                                  mailWith("", "t", 3)};
    known.markNew(second);
    std::vector<bool> isNew;
    for (const auto& e : second) {
        isNew.push_back(e.isNew);
    }
    EXPECT_EQ(isNew, (std::vector<bool>{false, true, false, true}));
    ASSERT_NE(known.find("a"), nullptr);
    EXPECT_EQ(known.find("a")->subject, "s");
    EXPECT_EQ(known.find("b"), nullptr);

    known.useMailbox("other box");
    EXPECT_EQ(known.find("a"), nullptr);
    known.markNew(second);
    EXPECT_TRUE(second.front().isNew);
}

}  // namespace
