#include "app/notice_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/shift_jis.h"

namespace {

using namespace std::string_literals;

struct FieldCase {
    std::string text;
    size_t limit;
    std::string shown;
    const char* why;
};

TEST(NoticeField, HostileHeaderTextsComeOutAsWholeCharactersOnOneLine) {
    const std::string kana30 = [] {
        std::string s;
        for (int i = 0; i < 30; ++i) {
            s += "あ";
        }
        return s;
    }();
    const FieldCase cases[] = {
        {"猫の集会", 48, "猫の集会", "plain text stays"},
        {"abc\0def"s, 48, "abc def", "a zero byte is a blank"},
        {"\t\r\n A\x01\x7F  B \r\n"s, 48, "A B", "controls and blanks fold to one, none at the ends"},
        {"件名\x82", 48, "件名", "a lone lead byte at the end goes"},
        {"\x82\0X"s, 48, "X", "a lead byte before a zero byte goes"},
        {"a\x80\xA0\xFD\xFE\xFF"s + "b", 48, "ab", "bytes without a character go"},
        {"ｱｲｳ", 48, "ｱｲｳ", "half-width katakana are single bytes"},
        {std::string(100, 'a'), 48, std::string(46, 'a') + "…", "cut to the limit with the ellipsis"},
        {kana30, 48, kana30.substr(0, 46) + "…", "double-byte text cut between characters"},
        {"a" + kana30, 48, "a" + kana30.substr(0, 44) + "…", "a cut that would split a character stops before"},
        {"abc  " + std::string(60, ' ') + "d", 8, "abc d", "blanks folded before the length counts"},
        {std::string(10, 'x'), 1, "x", "no room for the ellipsis: a plain cut"},
        {"", 48, "", "empty stays empty"},
    };
    for (const auto& c : cases) {
        const std::string shown = app::noticeField(c.text, c.limit);
        EXPECT_EQ(c.shown, shown) << c.why;
        EXPECT_LE(shown.size(), c.limit) << c.why;
        EXPECT_EQ(shown, std::string(base::cutAtCharacter(shown, shown.size()))) << c.why;
    }
}

TEST(SenderName, IsTheDisplayNameElseTheAddress) {
    const struct {
        const char* from;
        const char* name;
    } cases[] = {
        {"Carol <carol@example.com>", "Carol"},
        {"\"山田 太郎\" <taro@example.jp>", "山田 太郎"},
        {"  <only@example.jp>", "only@example.jp"},
        {"\"\" <quoted-empty@example.jp>", "quoted-empty@example.jp"},
        {"plain@example.jp", "plain@example.jp"},
        {"ソ表 <so@example.jp", "ソ表"},  // second bytes 0x5C, no closing bracket
        {"<unclosed@example.jp", "unclosed@example.jp"},
        {"<>", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.name, app::senderName(c.from)) << c.from;
    }
}

mail::MailEntry mailFrom(const std::string& from, const std::string& subject, bool isNew) {
    mail::MailEntry entry;
    entry.from = from;
    entry.subject = subject;
    entry.isNew = isNew;
    return entry;
}

struct NoticeCase {
    std::vector<mail::MailEntry> mails;  // in server order
    std::string title;
    std::string text;
    const char* why;
};

TEST(NewMailNotice, NamesTheThreeNewestNewMailsAndCountsTheRest) {
    std::vector<mail::MailEntry> ten;
    for (int i = 1; i <= 12; ++i) {
        // Mails 1 and 2 were there before; 3 to 12 are new.
        ten.push_back(mailFrom("cat" + std::to_string(i), "s" + std::to_string(i), i > 2));
    }
    const NoticeCase cases[] = {
        {{}, "", "", "no mail"},
        {{mailFrom("a", "old", false)}, "", "", "nothing new: no notice"},
        {{mailFrom("たま <tama@example.jp>", "こんにちは", true)},
         "新しいメールが 1 通きたにゃ",
         "たま「こんにちは」",
         "one new mail"},
        {{mailFrom("a", "1", true), mailFrom("b", "old", false), mailFrom("c", "3", true), mailFrom("d", "4", true)},
         "新しいメールが 3 通きたにゃ",
         "d「4」\nc「3」\na「1」",
         "three new ones, newest first, the old one left out"},
        {ten, "新しいメールが 10 通きたにゃ", "cat12「s12」\ncat11「s11」\ncat10「s10」\nほか 7 通", "ten new ones"},
        {{mailFrom("", "", true), mailFrom("\0\x01"s, "\x82", true)},
         "新しいメールが 2 通きたにゃ",
         "(差出人なし)「(件名なし)」\n(差出人なし)「(件名なし)」",
         "empty and unreadable fields"},
        {{mailFrom(std::string(300, 'f'), std::string(5000, 's') + "\x82", true)},
         "新しいメールが 1 通きたにゃ",
         std::string(22, 'f') + "…「" + std::string(46, 's') + "…」",
         "long fields cut"},
    };
    for (const auto& c : cases) {
        const mail::MailEntryList list(c.mails.begin(), c.mails.end());
        const app::NewMailNotice notice = app::newMailNotice(list);
        EXPECT_EQ(c.title, notice.title) << c.why;
        EXPECT_EQ(c.text, notice.text) << c.why;
        EXPECT_EQ(c.text.empty(), notice.empty()) << c.why;
    }
}

// Whatever the fields hold, the notice fits the tray's balloon: at most 63 bytes of title and 255 of text.
TEST(NewMailNotice, AlwaysFitsTheTraysBalloon) {
    std::string worst;
    for (int i = 0; i < 200; ++i) {
        worst += "漢\x01";
    }
    mail::MailEntryList list;
    for (int i = 0; i < 1000; ++i) {
        list.push_back(mailFrom(worst, worst, true));
    }
    const app::NewMailNotice notice = app::newMailNotice(list);
    EXPECT_LE(notice.title.size(), 63u);
    EXPECT_LE(notice.text.size(), 255u);
    EXPECT_EQ(std::string::npos, notice.text.find('\0'));
    EXPECT_NE(std::string::npos, notice.text.find("ほか 997 通"));
}

}  // namespace
