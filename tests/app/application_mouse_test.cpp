// Mouse actions on the square, as the system delivers them from real input (SendInput goes through the same
// hit-testing and default handling as a person's clicks).
#include <gtest/gtest.h>

#include "app/error_texts.h"
#include "mail/check_result.h"
#include "tests/app/application_fixture.h"

namespace {

using uitest::ApplicationTest;

void sendMouse(int x, int y, std::initializer_list<DWORD> buttons) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = (x * 65536 + width / 2) / width;
    move.mi.dy = (y * 65536 + height / 2) / height;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
    for (DWORD flag : buttons) {
        INPUT button{};
        button.type = INPUT_MOUSE;
        button.mi.dwFlags = flag;
        SendInput(1, &button, sizeof button);
    }
}

class ApplicationMouseTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        folder.setIni("X", "500");
        folder.setIni("Y", "400");
        start();
        SetForegroundWindow(mainWindow());
        uitest::drainMessages();
    }
};

TEST_F(ApplicationMouseTest, RightClickOnTheSquareOpensThePopupMenu) {
    uitest::PopupWatcher watcher(mainWindow());
    sendMouse(516, 416, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
    EXPECT_TRUE(uitest::pumpUntil([&] { return watcher.timesOpened() > 0; }, 5000));
    uitest::drainMessages();
    EXPECT_EQ(1, watcher.timesOpened());
}

TEST_F(ApplicationMouseTest, DoubleClickOnTheSquareChecksNow) {
    uitest::DialogAnswerer answer(IDOK);
    sendMouse(516, 416, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    // Without a server the check reports the incomplete settings.
    EXPECT_TRUE(uitest::pumpUntil([&] { return !answer.seen().empty(); }, 5000));
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ(app::errorMessage(mail::kErrSettingsIncomplete), answer.seen()[0].text);
}

}  // namespace
