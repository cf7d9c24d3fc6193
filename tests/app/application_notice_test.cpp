// The new-mail notice and the count badge as the application shows them with the square: the balloon's text as a
// screen reader reads it, its click, its replacement and its end.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_ids.h"
#include "res/resource_ids.h"
#include "tests/app/application_fixture.h"

namespace {

using uitest::ApplicationTest;

BOOL CALLBACK collectTooltip(HWND window, LPARAM found) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

// The visible tooltips of this thread.
std::vector<HWND> visibleTooltips() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The visible balloon tooltip that points at the square, or null.
HWND balloonOf(HWND square) {
    for (HWND window : visibleTooltips()) {
        if (GetWindow(window, GW_OWNER) == square) {
            return window;
        }
    }
    return nullptr;
}

// What WM_GETTEXT gives, as a screen reader asks for it.
std::string textOf(HWND window) {
    const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

class NoticeTest : public ApplicationTest {
protected:
    static std::vector<ServedMail> fiveMails() {
        std::vector<ServedMail> mails;
        for (int i = 1; i <= 5; ++i) {
            mails.push_back({"件名" + std::to_string(i), "tama" + std::to_string(i) + "@example.jp", 10});
        }
        return mails;
    }
};

TEST_F(NoticeTest, WithNotifyABalloonAtTheSquareNamesTheNewestMails) {
    folder.setIni("Notify", "1");
    serveMails(fiveMails());
    start();
    checkByHand();
    HWND balloon = balloonOf(mainWindow());
    ASSERT_NE(nullptr, balloon);
    EXPECT_EQ(
        "新しいメールが 5 通きたにゃ\n"
        "tama5@example.jp「件名5」\ntama4@example.jp「件名4」\ntama3@example.jp「件名3」\nほか 2 通",
        textOf(balloon));

    // A click takes it down and shows the list (hidden, as a check by the timer leaves it).
    ShowWindow(listWindow(), SW_HIDE);
    SendMessageA(balloon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    uitest::drainMessages();
    EXPECT_FALSE(IsWindow(balloon));
    EXPECT_EQ(nullptr, balloonOf(mainWindow()));
    ASSERT_NE(nullptr, listWindow());
    EXPECT_TRUE(IsWindowVisible(listWindow()));
    EXPECT_EQ(5u, subjects().size());
}

TEST_F(NoticeTest, ClosingTheListTakesTheBalloonDown) {
    folder.setIni("Notify", "1");
    serveMails(fiveMails());
    start();
    checkByHand();
    ASSERT_NE(nullptr, balloonOf(mainWindow()));
    SendMessageA(listWindow(), WM_CLOSE, 0, 0);
    uitest::drainMessages();
    EXPECT_EQ(nullptr, balloonOf(mainWindow()));
}

TEST_F(NoticeTest, ACheckWithNothingNewTakesTheBalloonDownAndShowsNone) {
    folder.setIni("Notify", "1");
    serveMails(fiveMails());
    mailServer->thenServe(mailboxSession(fiveMails()));
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    HWND first = balloonOf(mainWindow());
    ASSERT_NE(nullptr, first);

    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(nullptr, balloonOf(mainWindow()));
}

TEST_F(NoticeTest, ANewCheckReplacesTheBalloonAndQuittingTakesItAway) {
    folder.setIni("Notify", "1");
    std::vector<ServedMail> more = fiveMails();
    more.push_back({"six", "mike@example.jp", 10});
    serveMails(fiveMails());
    mailServer->thenServe(mailboxSession(more));
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    HWND balloon = balloonOf(mainWindow());
    ASSERT_NE(nullptr, balloon);
    EXPECT_EQ("新しいメールが 1 通きたにゃ\nmike@example.jp「six」", textOf(balloon));
    EXPECT_EQ(1u, visibleTooltips().size()) << "never more than one";

    quit();
    EXPECT_FALSE(IsWindow(balloon));
}

TEST_F(NoticeTest, TheBalloonGoesAwayByItself) {
    folder.setIni("Notify", "1");
    serveMails(fiveMails());
    start();
    checkByHand();
    ASSERT_NE(nullptr, balloonOf(mainWindow()));
    // Bounded far above the system's time for notices (5 seconds unless the user chose longer).
    EXPECT_TRUE(uitest::pumpUntil([&] { return balloonOf(mainWindow()) == nullptr; }, 60000));
}

// The tray's balloon belongs to the shell (explorer's tray under Wine): its text is read there, as a screen reader
// would, and a click on it comes back as the icon's NIN_BALLOONUSERCLICK.
TEST_F(NoticeTest, InTheTrayTheNoticeIsTheIconsOwnBalloon) {
    folder.setIni("Notify", "1");
    folder.setIni("InTaskTray", "1");
    serveMails(fiveMails());
    start();
    checkByHand();
    const std::string expected = "tama5@example.jp「件名5」";
    std::string shown;
    // The shell's windows change without a message to this thread: a thread timer wakes the wait to look again.
    const UINT_PTR poll = SetTimer(nullptr, 0, 50, nullptr);
    EXPECT_TRUE(uitest::pumpUntil([&] {
        std::vector<HWND> everywhere;
        EnumWindows(collectTooltip, reinterpret_cast<LPARAM>(&everywhere));
        for (HWND window : everywhere) {
            shown = textOf(window);
            if (shown.find(expected) != std::string::npos) {
                return true;
            }
        }
        return false;
    })) << shown;
    KillTimer(nullptr, poll);
    EXPECT_EQ(nullptr, balloonOf(mainWindow())) << "no balloon of our own in the tray";

    ShowWindow(listWindow(), SW_HIDE);
    SendMessageA(mainWindow(), WM_USER + 0x86, 1, NIN_BALLOONUSERCLICK);
    uitest::drainMessages();
    EXPECT_TRUE(IsWindowVisible(listWindow()));
}

TEST_F(NoticeTest, WithoutNotifyNoBalloonShows) {
    serveMails(fiveMails());
    start();
    checkByHand();
    ASSERT_NE(nullptr, listWindow());
    EXPECT_EQ(nullptr, balloonOf(mainWindow()));
}

}  // namespace
