#include "app/status_texts.h"

#include <gtest/gtest.h>

namespace {

// The status texts travel as Shift_JIS bytes into the title and the tooltip; compare the bytes.
TEST(StatusTexts, AreTheShiftJisTextsWithTheTitle) {
    EXPECT_EQ("\x83\x60\x83\x46\x83\x62\x83\x4e\x92\x86 - Quorvane", app::checkingText(false));
    EXPECT_EQ("削除＆チェック中 - Quorvane", app::checkingText(true));
    EXPECT_EQ("メールなし - Quorvane", app::noMailText());
    EXPECT_EQ("3通のメールが来ました - Quorvane", app::mailWaitingText(3));
    EXPECT_EQ("0通のメールが来ました - Quorvane", app::mailWaitingText(0));
    EXPECT_EQ("-2147483648通のメールが来ました - Quorvane", app::mailWaitingText(-2147483647 - 1));
}

// The longest status text must fit the tooltip's 63 bytes.
TEST(StatusTexts, FitTheTooltip) {
    EXPECT_LT(app::mailWaitingText(-2147483647 - 1).size(), 64u);
    EXPECT_LT(app::checkingText(true).size(), 64u);
}

// With several mailboxes: the tooltip's line of each, the boxes and the password question that name one.
TEST(StatusTexts, SeveralMailboxesHaveALineEachAndAreNamed) {
    const struct {
        int waiting;
        int lastError;
        bool unfinished;
        const char* line;
    } rows[] = {
        {3, -1, false, "しごと: 3通"},           {0, -1, false, "しごと: メールなし"},
        {2, 4, false, "しごと: エラーにゃ (4)"}, {0, -1, true, "しごと: 未設定にゃ"},
        {0, 11, true, "しごと: 未設定にゃ"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.line, app::mailboxStatusLine("しごと", row.waiting, row.lastError, row.unfinished));
    }
    EXPECT_EQ("しごと\nエラー", app::mailboxBoxText("しごと", "エラー"));
    EXPECT_EQ("パスワードの入力　（しごと）", app::passwordTitle("しごと"));
    // The tooltip keeps whole lines within its 63 bytes.
    const std::string title = app::mailWaitingText(12);
    EXPECT_EQ(title + "\nいえ: 3通\nしごと: 9通", app::severalMailboxesTip(title, {"いえ: 3通", "しごと: 9通"}));
    const std::string tip =
        app::severalMailboxesTip(title, {"いえ: 3通", "しごと: エラーにゃ (11)", "むかし: メールなし"});
    EXPECT_EQ(title + "\nいえ: 3通", tip);
    EXPECT_LE(tip.size(), 63u);
}

}  // namespace
