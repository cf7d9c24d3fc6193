#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/error_texts.h"
#include "app/status_texts.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "tests/app/application_fixture.h"

namespace {

using uitest::ApplicationTest;

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// What the settings dialog shows as the mail program, opened and cancelled as the user would.
std::string mailerShownBy(uitest::DialogAnswerer& answer, HWND main) {
    std::string shown;
    answer.answerWith(IDCANCEL, [&](HWND dialog) {
        char text[MAX_PATH] = {};
        GetDlgItemTextA(dialog, IDC_MAILER, text, sizeof text);
        shown = text;
    });
    SendMessageA(main, WM_COMMAND, IDM_SETTINGS, 0);
    return shown;
}

void typePassword(HWND prompt) {
    SetDlgItemTextA(prompt, 1010, "secret");
}

struct PlacementCase {
    const char* x;  // null: no key in the file
    const char* y;
    int expectedX;  // negative: counted from the screen's right or bottom edge
    int expectedY;
};

TEST_F(ApplicationTest, PlacesTheIdleSquareInsideTheScreen) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    const PlacementCase cases[] = {
        {nullptr, nullptr, 100, 100},
        {"5000", "-20", -33, 0},
        {"300", "200", 300, 200},
        {"-7", "99999", 0, -33},
    };
    for (const auto& c : cases) {
        if (c.x != nullptr) {
            folder.setIni("X", c.x);
            folder.setIni("Y", c.y);
        }
        start();
        RECT rect = windowRect(mainWindow());
        EXPECT_EQ(c.expectedX < 0 ? width + c.expectedX : c.expectedX, rect.left);
        EXPECT_EQ(c.expectedY < 0 ? height + c.expectedY : c.expectedY, rect.top);
        EXPECT_EQ(32, rect.right - rect.left);
        EXPECT_EQ(32, rect.bottom - rect.top);
        quit();
        application.reset();
        DestroyWindow(owner.hwndRef);
    }
}

TEST_F(ApplicationTest, StartsIdleWithTheMenuInItsFirstState) {
    start();
    EXPECT_EQ("Quorvane", uitest::windowText(mainWindow()));
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
    EXPECT_EQ(app::Application::Look::Idle, look());
    EXPECT_EQ("enabled,default", menuState(IDM_CHECK_NOW));
    EXPECT_EQ("grayed", menuState(IDM_STOP_CHECK));
    EXPECT_EQ("enabled", menuState(IDM_PAUSE));
    EXPECT_EQ("grayed", menuState(IDM_START_MAILER)) << "no mail program set";
    EXPECT_EQ("enabled", menuState(IDM_TRAY));
    EXPECT_EQ("enabled", menuState(IDM_SETTINGS));
    EXPECT_EQ("enabled", menuState(IDM_QUIT));
    EXPECT_FALSE(endTimer()) << "no server set";
}

TEST_F(ApplicationTest, TimerRunsWhenConfiguredAndStopsWhilePaused) {
    folder.setIni("SERVER", "127.0.0.1");
    folder.setIni("USER", "neko");
    folder.setIni("TimerMin", "3");
    folder.setIni("ExeMail", "C:\\mailer.exe");
    start();
    EXPECT_TRUE(endTimer());  // the pause below stops it and its end sets it again
    EXPECT_EQ("enabled", menuState(IDM_START_MAILER));

    command(IDM_PAUSE);
    EXPECT_TRUE(paused());
    EXPECT_FALSE(endTimer());
    EXPECT_EQ("enabled,checked", menuState(IDM_PAUSE));

    command(IDM_PAUSE);
    EXPECT_FALSE(paused());
    EXPECT_EQ("enabled", menuState(IDM_PAUSE));
    EXPECT_TRUE(endTimer());
}

TEST_F(ApplicationTest, QuitWritesThePositionAndTheTraySwitch) {
    folder.setIni("X", "300");
    folder.setIni("Y", "200");
    start();
    quit();
    EXPECT_EQ(nullptr, mainWindow());
    EXPECT_EQ("300", folder.ini("X"));
    EXPECT_EQ("200", folder.ini("Y"));
    EXPECT_EQ("0", folder.ini("InTaskTray"));
}

TEST_F(ApplicationTest, SessionEndShutsDownAndAllowsTheSessionToEnd) {
    folder.setIni("X", "310");
    start();
    EXPECT_EQ(1, SendMessageA(mainWindow(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(nullptr, mainWindow());
    EXPECT_EQ("310", folder.ini("X"));
    EXPECT_EQ("0", folder.ini("InTaskTray"));
}

TEST_F(ApplicationTest, TraySwitchHidesAndShowsTheSquareAndIsWrittenAtQuit) {
    folder.setIni("InTaskTray", "1");
    serveMails({{"a", "neko", 1}});
    start();
    EXPECT_FALSE(IsWindowVisible(mainWindow()));
    EXPECT_EQ("enabled,checked", menuState(IDM_TRAY));

    command(IDM_TRAY);
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
    EXPECT_EQ("enabled", menuState(IDM_TRAY));
    command(IDM_TRAY);
    EXPECT_FALSE(IsWindowVisible(mainWindow()));

    // Results still reach the title while the square is hidden.
    checkByHand();
    EXPECT_EQ(app::mailWaitingText(1), uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::MailWaiting, look());
    quit();
    EXPECT_EQ("1", folder.ini("InTaskTray"));
}

TEST_F(ApplicationTest, DisplayChangePullsTheSquareBackOntoTheScreen) {
    folder.setIni("X", "900");
    folder.setIni("Y", "700");
    start();
    SendMessageA(mainWindow(), WM_DISPLAYCHANGE, 24, MAKELPARAM(640, 480));
    RECT rect = windowRect(mainWindow());
    EXPECT_EQ(607, rect.left);
    EXPECT_EQ(447, rect.top);
}

TEST_F(ApplicationTest, EveryPointOfTheSquareIsItsCaption) {
    start();
    EXPECT_EQ(HTCAPTION, SendMessageA(mainWindow(), WM_NCHITTEST, 0, MAKELPARAM(110, 110)));
}

TEST_F(ApplicationTest, MailResultShowsTheCountAndRaisesTheListWindow) {
    serveMails({{"one", "neko", 10}, {"two", "neko", 2000}, {"three", "neko", 0}});
    start();
    checkByHand();

    EXPECT_EQ("3通のメールが来ました - Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::MailWaiting, look());
    ASSERT_NE(nullptr, listWindow());
    EXPECT_TRUE(IsWindowVisible(listWindow())) << "a check by hand shows the list in front";
    EXPECT_EQ(listView(), GetFocus()) << "the keys reach the rows at once";
    EXPECT_EQ("3", stateLine("list.rows"));
    EXPECT_EQ("0\tone\tneko\t  10\t", stateLine("list.row.0"));
}

TEST_F(ApplicationTest, NoMailResultClosesTheListWindow) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();
    ASSERT_NE(nullptr, listWindow());

    command(app::kCmdNoMail, 0);
    EXPECT_EQ(app::Application::Look::Idle, look());
    EXPECT_EQ("メールなし - Quorvane", uitest::windowText(mainWindow()));
    ASSERT_TRUE(uitest::pumpUntil([&] { return listWindow() == nullptr; }));
    uitest::drainMessages();
    // The window's close report (104 without a deletion) empties the list but keeps the result's text, however
    // the report and the end of the worker fall in time.
    EXPECT_EQ("メールなし - Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ(app::Application::Look::Idle, look());
    command(app::kCmdRaiseList);
    EXPECT_EQ(nullptr, listWindow()) << "no list is left to show";
}

TEST_F(ApplicationTest, ErrorResultShowsItsMessageBoxAndNothingElse) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();
    std::string title = uitest::windowText(mainWindow());

    uitest::DialogAnswerer answer(IDOK);
    for (int code = 0; code <= 13; ++code) {
        command(app::kCmdCheckFailed, code);
        ASSERT_EQ(static_cast<size_t>(code + 1), answer.seen().size()) << "code " << code;
        EXPECT_EQ("Quorvane", answer.seen().back().caption);
        EXPECT_EQ(app::errorMessage(code), answer.seen().back().text) << "code " << code;
    }
    // The untrusted certificate asks; "No" stores nothing and starts nothing.
    answer.answerWith(IDNO);
    command(app::kCmdCheckFailed, mail::kErrCertUntrusted);
    ASSERT_EQ(15u, answer.seen().size());
    EXPECT_EQ(app::untrustedCertificateQuestion(net::CertProblem::None, ""), answer.seen().back().text);
    EXPECT_FALSE(folder.iniHas("TrustedCert"));
    EXPECT_FALSE(checkRunning());
    // The login failures of the sign-in methods: the missing method named, the others as worded.
    answer.answerWith(IDOK);
    for (int code = mail::kErrAuthUnavailable; code <= mail::kErrTokenEndpoint; ++code) {
        command(app::kCmdCheckFailed, code);
        EXPECT_EQ(code == mail::kErrAuthUnavailable ? app::authUnavailableMessage(mail::AuthMethod::FromApopKey)
                                                    : std::string(app::errorMessage(code)),
                  answer.seen().back().text)
            << "code " << code;
    }
    command(app::kCmdCheckFailed, mail::kErrTokenEndpoint + 1);
    command(app::kCmdCheckFailed, -1);
    EXPECT_EQ(18u, answer.seen().size()) << "codes outside 0..17 show nothing";
    EXPECT_EQ(app::Application::Look::MailWaiting, look());
    EXPECT_EQ(title, uitest::windowText(mainWindow()));
}

// While the certificate question is up, neither the popup menu nor the settings dialog opens: settings changed
// meanwhile must not decide which server the answer trusts the certificate for. Afterwards both open again.
TEST_F(ApplicationTest, TheMenuAndTheSettingsStayClosedWhileTheCertificateQuestionIsUp) {
    start();
    uitest::PopupWatcher watcher(mainWindow());
    int dialogs = 0;
    uitest::DialogAnswerer answer(IDNO, [&](HWND dialog) {
        if (++dialogs == 1) {
            // Handled by the question's own message loop, before the answer that follows.
            PostMessageA(mainWindow(), WM_COMMAND, IDM_SETTINGS, 0);
            PostMessageA(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(mainWindow()), MAKELPARAM(500, 400));
        } else {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // a settings dialog that opened all the same
        }
    });
    command(app::kCmdCheckFailed, mail::kErrCertUntrusted);
    uitest::drainMessages();
    ASSERT_EQ(1u, answer.seen().size()) << "the settings dialog opened while the question was up";
    EXPECT_EQ(app::untrustedCertificateQuestion(net::CertProblem::None, ""), answer.seen()[0].text);
    EXPECT_EQ(0, watcher.timesOpened());

    answer.answerWith(IDCANCEL);
    command(IDM_SETTINGS);
    EXPECT_EQ(2u, answer.seen().size());
    PostMessageA(mainWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(mainWindow()), MAKELPARAM(500, 400));
    EXPECT_TRUE(uitest::pumpUntil([&] { return watcher.timesOpened() > 0; }, 5000));
}

// An SSL value the program cannot use is reported as unfinished settings, with the same box as a missing server,
// and nothing is connected; the file keeps its value.
TEST_F(ApplicationTest, AnUnusableSslValueReportsUnfinishedSettings) {
    folder.setIni("SERVER", "127.0.0.1");
    folder.setIni("USER", "neko");
    folder.setIni("PASS", "");
    folder.setIni("SSL", "yes");
    start();
    uitest::DialogAnswerer answer(IDOK);
    command(IDM_CHECK_NOW);
    uitest::drainMessages();
    ASSERT_EQ(1u, answer.seen().size()) << "no password question either: nothing is asked before the settings are";
    EXPECT_EQ(app::errorMessage(mail::kErrSettingsIncomplete), answer.seen()[0].text);
    EXPECT_FALSE(checkRunning());
    EXPECT_EQ("yes", folder.ini("SSL"));
}

TEST_F(ApplicationTest, ListClosedWhileIdleWithoutDeletionEmptiesTheList) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();
    command(app::kCmdListClosed, 0);
    EXPECT_EQ(app::Application::Look::Idle, look());
    EXPECT_EQ("Quorvane", uitest::windowText(mainWindow()));
    EXPECT_EQ("0", stateLine("list.rows")) << "no row outlives the entries";
}

TEST_F(ApplicationTest, ListClosedWhileIdleWithDeletionStartsACheckThatKeepsTheList) {
    const std::vector<ServedMail> mailbox = {{"one", "neko", 10}, {"two", "neko", 20}};
    serveMails(mailbox);
    mailServer->thenServe(mailboxSession(mailbox, {{"DELE 1", "+OK\r\n"}}));
    start();
    command(IDM_CHECK_NOW);
    ASSERT_TRUE(waitForCheckEnd());
    ASSERT_EQ("2", stateLine("list.rows"));

    confirmDeletion(0);  // the window closes and reports the deletion
    uitest::DialogAnswerer answer(IDOK);
    uitest::drainMessages();
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_TRUE(answer.seen().empty());
    // The check carried the kept list's mark to the server: the one mail ticked, and no other.
    const auto commands = mailServer->commands();
    EXPECT_EQ(1, std::count(commands.begin(), commands.end(), "DELE 1"));
    EXPECT_EQ(0, std::count(commands.begin(), commands.end(), "DELE 2"));
}

TEST_F(ApplicationTest, CheckNowEmptiesTheListAndItsRowsUnlessItCarriesADeletion) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();  // later checks find no server
    uitest::DialogAnswerer answer(IDOK);

    command(IDM_CHECK_NOW, app::kKeepListMarker);
    EXPECT_EQ("1", stateLine("list.rows"));
    ASSERT_TRUE(waitForCheckEnd());

    command(IDM_CHECK_NOW, 0);
    EXPECT_EQ("0", stateLine("list.rows")) << "rows go in the same step as the entries";
    ASSERT_TRUE(waitForCheckEnd());
    EXPECT_EQ("0", stateLine("list.rows"));
    ASSERT_EQ(2u, answer.seen().size()) << "each check reports the missing server";
    EXPECT_EQ(app::errorMessage(mail::kErrConnect), answer.seen()[1].text);
}

TEST_F(ApplicationTest, DoubleClickOnTheSquareChecksNow) {
    // Also where the click's position reads as the deletion marker (x = -241 on a screen left of the main one).
    for (LPARAM position : {MAKELPARAM(110, 110), MAKELPARAM(-241, 0)}) {
        serveMails({{"one", "neko", 10}});
        start();
        checkByHand();  // the double click's check finds no server
        uitest::DialogAnswerer answer(IDOK);
        SendMessageA(mainWindow(), WM_NCLBUTTONDBLCLK, HTCAPTION, position);
        EXPECT_EQ("0", stateLine("list.rows")) << position;
        EXPECT_TRUE(waitForCheckEnd());
        EXPECT_EQ(1u, answer.seen().size());
        quit();
        application.reset();
        DestroyWindow(owner.hwndRef);
    }
}

TEST_F(ApplicationTest, SettingsSavedWithOkUpdateTheMailerItem) {
    folder.setIni("SERVER", "pop.example.jp");
    folder.setIni("USER", "neko");
    start();
    ASSERT_EQ("grayed", menuState(IDM_START_MAILER));
    int popupsDuringDialog = -1;
    HWND main = mainWindow();
    uitest::DialogAnswerer answer(IDOK, [&](HWND dialog) {
        EXPECT_FALSE(KillTimer(main, 10)) << "no timer check while the dialog is open";
        uitest::PopupWatcher watcher(main);
        SendMessageA(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main), MAKELPARAM(510, 410));
        popupsDuringDialog = watcher.timesOpened();
        SetDlgItemTextA(dialog, IDC_MAILER, "C:\\mailer.exe");
    });
    command(IDM_SETTINGS);

    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ("せってい～＆バージョン情報　（Quorvane）", answer.seen()[0].caption);
    EXPECT_EQ(0, popupsDuringDialog) << "the popup menu does not open over the settings dialog";
    EXPECT_EQ("enabled", menuState(IDM_START_MAILER));
    EXPECT_EQ("C:\\mailer.exe", folder.ini("ExeMail"));
    EXPECT_EQ("C:\\mailer.exe", mailerShownBy(answer, mainWindow()));
    EXPECT_TRUE(endTimer());
}

// The list belongs to the mailbox it was read from: once OK points the settings at another server, port or user,
// it closes and its ticks are dropped (and the user told), so that no later check carries them to the new mailbox.
// A ticked list is one whose confirmed deletion has not been carried out yet: its check was skipped at the password
// question.
TEST_F(ApplicationTest, SettingsForAnotherMailboxCloseTheListAndDropItsTicks) {
    struct Case {
        int control;  // the field changed in the dialog
        const char* text;
        bool ticked;
        bool listStays;
    };
    const std::vector<ServedMail> mailbox = {{"one", "neko", 10}, {"two", "neko", 20}};
    for (const Case& c :
         {Case{IDC_SERVER, "pop.example.com", true, false}, Case{IDC_USER, "tora", false, false},
          Case{IDC_PORT, "995", true, false}, Case{IDC_SERVER, "LOCALHOST", true, true},
          Case{IDC_MAILER, "C:\\mailer.exe", true, true}, Case{IDC_MAILER, "C:\\mailer.exe", false, true}}) {
        SCOPED_TRACE(std::string(c.text) + (c.ticked ? ", ticked" : ""));
        serveMails(mailbox);
        folder.setIni("SERVER", "localhost");
        folder.setIni("PASS", "");  // asked at each check
        if (c.ticked && c.listStays) {
            mailServer->thenServe(mailboxSession(mailbox, {{"DELE 2", "+OK\r\n"}}));
        }
        start();
        {
            uitest::DialogAnswerer prompt(IDOK, typePassword);
            command(IDM_CHECK_NOW);
            ASSERT_TRUE(waitForCheckEnd());
            ASSERT_EQ(1u, prompt.seen().size());
        }
        if (c.ticked) {
            confirmDeletion(1);
            uitest::DialogAnswerer prompt(IDCANCEL);
            uitest::drainMessages();
            ASSERT_EQ(1u, prompt.seen().size()) << "the deletion's check asks for the password";
        }

        {
            uitest::DialogAnswerer answer(IDOK, [&](HWND dialog) { SetDlgItemTextA(dialog, c.control, c.text); });
            command(IDM_SETTINGS);
            uitest::drainMessages();
            ASSERT_EQ(!c.listStays && c.ticked ? 2u : 1u, answer.seen().size());
            if (answer.seen().size() == 2) {
                EXPECT_NE(std::string::npos, answer.seen()[1].text.find("チェックしたメールは削除していないにゃ"));
            }
        }
        if (!c.ticked) {
            EXPECT_EQ(c.listStays, listWindow() != nullptr);
            EXPECT_EQ(c.listStays ? "2" : "0", stateLine("list.rows"));
        }
        if (!c.listStays) {
            EXPECT_EQ(app::Application::Look::Idle, look());
        } else if (c.ticked) {
            // The kept tick is still there for the check that carries out the deletion.
            uitest::DialogAnswerer answer(IDOK, typePassword);
            command(IDM_CHECK_NOW, app::kKeepListMarker);
            ASSERT_TRUE(waitForCheckEnd());
            const auto commands = mailServer->commands();
            EXPECT_EQ(1, std::count(commands.begin(), commands.end(), "DELE 2"));
        } else {
            EXPECT_EQ(app::Application::Look::MailWaiting, look());
        }
        quit();
        application.reset();
        DestroyWindow(owner.hwndRef);
        mailServer.reset();
    }
}

TEST_F(ApplicationTest, SettingsCancelledWriteNothing) {
    start();
    uitest::DialogAnswerer answer(IDCANCEL, [](HWND dialog) { SetDlgItemTextA(dialog, IDC_MAILER, "C:\\x.exe"); });
    command(IDM_SETTINGS);
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ("", mailerShownBy(answer, mainWindow()));
    EXPECT_FALSE(folder.iniHas("ExeMail"));
    EXPECT_EQ("grayed", menuState(IDM_START_MAILER));
}

TEST_F(ApplicationTest, TrayPressAndActivationRaiseAHiddenListWindow) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();
    HWND list = listWindow();
    const LPARAM trayActions[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN};
    for (LPARAM action : trayActions) {
        ShowWindow(list, SW_HIDE);
        SendMessageA(mainWindow(), WM_USER + 0x86, 1, action);
        EXPECT_TRUE(IsWindowVisible(list)) << "tray action " << action;
    }
    ShowWindow(list, SW_HIDE);
    SendMessageA(mainWindow(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    uitest::drainMessages();
    EXPECT_TRUE(IsWindowVisible(list)) << "activating the square";
}

TEST_F(ApplicationTest, TrayDoubleClickChecksNow) {
    serveMails({{"one", "neko", 10}});
    start();
    checkByHand();  // the double click's check finds no server
    uitest::DialogAnswerer answer(IDOK);
    SendMessageA(mainWindow(), WM_USER + 0x86, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ("0", stateLine("list.rows"));
    EXPECT_TRUE(waitForCheckEnd());
    EXPECT_EQ(1u, answer.seen().size());
}

TEST_F(ApplicationTest, QuitWhileThePasswordPromptIsOpenStartsNoCheck) {
    folder.setIni("SERVER", "127.0.0.1");
    folder.setIni("USER", "neko");
    start();
    HWND main = mainWindow();
    uitest::DialogAnswerer answer(IDOK, [main](HWND dialog) {
        SetDlgItemTextA(dialog, 1010, "typed");
        PostMessageA(main, WM_CLOSE, 0, 0);  // arrives before the OK
    });
    command(IDM_CHECK_NOW);
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ(nullptr, mainWindow()) << "the shutdown ran while the prompt was open";
    EXPECT_FALSE(checkRunning());
    EXPECT_TRUE(application->IsEnded());
    EXPECT_EQ("", folder.ini("PASS")) << "the typed password is not kept";
}

TEST_F(ApplicationTest, QuitWhileTheSettingsDialogIsOpenLeavesNoTimer) {
    folder.setIni("SERVER", "127.0.0.1");
    folder.setIni("USER", "neko");
    start();
    HWND main = mainWindow();
    uitest::DialogAnswerer answer(IDOK, [main](HWND) { PostMessageA(main, WM_CLOSE, 0, 0); });
    command(IDM_SETTINGS);
    ASSERT_EQ(1u, answer.seen().size());
    EXPECT_EQ(nullptr, mainWindow());
    EXPECT_FALSE(KillTimer(main, 10)) << "the dialog's end must not start a timer without a window";
}

}  // namespace
