#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "framework/window_base.h"
#include "tests/app/ui_test_support.h"
#include "tests/support/fake_pop3_server.h"

namespace uitest {

// An Application made in-process as the program makes it (hidden owner window, then the main window), over
// a scratch folder whose ./Quorvane.ini the test writes before start().
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructs the application (which reads the settings file) and creates its main window.
    void start();
    // The shutdown sequence, as the quit command or the session end runs it.
    void quit();

    HWND mainWindow() const;
    void command(int id, LPARAM lParam = 0);
    // Writes the settings that point the program at the real test server.
    void useRealServer();
    // One mail as a scripted server offers it.
    struct ServedMail {
        std::string subject;
        std::string from;
        int size;
    };
    // Points the settings at a scripted server whose mailbox holds `mails`, for one session; call before start().
    // Later sessions: mailServer->thenServe(mailboxSession(...)).
    void serveMails(const std::vector<ServedMail>& mails);
    // One session over a mailbox that holds `mails`, with `beforeQuit` after the listing (deletions).
    static std::vector<testenv::Exchange> mailboxSession(const std::vector<ServedMail>& mails,
                                                         const std::vector<testenv::Exchange>& beforeQuit = {});
    // Checks by hand, as the user's double click does, and waits for the result. The scripted server goes with
    // its one session: a later check finds no server.
    void checkByHand();
    // Waits for the running check (if any) to end, its thread to be reaped and its posted results handled.
    bool waitForCheckEnd(DWORD timeoutMs = 20000);

    // The popup menu's item state, as the menu shows it ("grayed", "enabled", with ",checked" and ",default").
    std::string menuState(UINT item) const;
    std::string stateLine(const char* key) const;

    // The look the square paints (its corner's colour; the tray icon follows the same look).
    app::Application::Look look() const;
    // A check runs while its stop item is enabled.
    bool checkRunning() const;
    bool paused() const;
    // Whether the check timer was set; ends it, so a test asks last or sets it again as the user would.
    bool endTimer() const;
    // The mail list window of this thread and its list view; null while it is closed.
    HWND listWindow() const;
    HWND listView() const;
    // The subjects of the list's rows, top to bottom.
    std::vector<std::string> subjects() const;
    // Ticks the list window's row and confirms the deletion with the window's command, as the user does: the
    // window closes and reports it.
    void confirmDeletion(int row);
    // Whether the list window has the row drawn in bold (new mail), asked as the list view asks before drawing it.
    bool rowInBold(int row) const;

    ScratchFolder folder;
    framework::WindowBase owner;
    std::unique_ptr<app::Application> application;
    // The popup menu, caught when start() opens it once.
    HMENU popup = nullptr;
    std::unique_ptr<testenv::FakePop3Server> mailServer;
};

}  // namespace uitest
