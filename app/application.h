#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <string>

#include "app/command_ids.h"
#include "app/mail_list_window.h"
#include "app/new_mail_balloon.h"
#include "base/lock.h"
#include "framework/handler_table.h"
#include "framework/window_base.h"
#include "mail/check_host.h"
#include "mail/list_hand_over.h"
#include "mail/mail_check.h"
#include "mail/mail_entry.h"
#include "net/pop3_session.h"
#include "settings/profile_value.h"
#include "settings/settings.h"
#include "worker/worker_thread.h"

namespace app {

// The program's one long-lived object: at once the main window (the 32 by 32 status square, or the tray icon
// that stands in for it) and the worker thread that runs one mail check at a time. It owns the settings, the
// mail list, the mail list window and the POP3 session.
//
// Threads: everything runs on the user-interface thread except Run and OnThreadEnd. The check reaches the
// window only through the CheckHost calls; those that change what is on screen (status look, title, tooltip)
// are posted to the main window and done here, so the worker never waits for this thread and the shutdown can
// wait for the worker without handling messages.
class Application : public framework::WindowBase, public worker::WorkerThread, private mail::CheckHost {
public:
    // The three looks of the square and the tray icon.
    enum class Look { Idle, Checking, MailWaiting };

    // Reads the settings file ("./Quorvane.ini" in the current directory).
    Application();
    ~Application() override;

    // Makes the main window, owned by `ownerWindow`; its creation places it, loads the icons and the popup
    // menu, enters the tray when the settings say so, and starts the check timer.
    bool createMainWindow(HWND ownerWindow);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    using Record = framework::MessageRecord;

    // Posted by the worker to have the screen updated on this thread: wParam the Look; lParam 0 the title
    // alone, 1 the text waiting in workerText.
    static constexpr UINT kMsgWorkerLook = WM_APP + 1;
    static constexpr UINT kMsgWorkerStatusText = WM_APP + 2;

    // Window messages.
    void onDefault(Record* record);
    void onCreate(Record* record);
    void onMove(Record* record);
    void onActivate(Record* record);
    void onClose(Record* record);
    void onQueryEndSession(Record* record);
    void onEraseBackground(Record* record);
    void onContextMenu(Record* record);
    void onDisplayChange(Record* record);
    void onDpiChanged(Record* record);
    void onHitTest(Record* record);
    void onNcLeftDoubleClick(Record* record);
    void onNcRightButtonDown(Record* record);
    void onCommand(Record* record);
    void onTimer(Record* record);
    void onTrayCallback(Record* record);
    void onWorkerLook(Record* record);
    void onWorkerStatusText(Record* record);

    // Commands.
    void onNoMail(Record* record);
    void tellDeletionRefused();
    void onMailWaiting(Record* record);
    void onListClosed(Record* record);
    void onCheckFailed(Record* record);
    void askToTrustCertificate();
    void onRaiseList(Record* record);
    void onQuit(Record* record);
    void onSettings(Record* record);
    void onCheckNow(Record* record);
    void onStopCheck(Record* record);
    void onTrayOrWindow(Record* record);
    void onPause(Record* record);
    void onStartMailer(Record* record);
    void onNoticeClicked(Record* record);

    // Tray callback mouse messages.
    void onTrayLeftDown(Record* record);
    void onTrayLeftDoubleClick(Record* record);
    void onTrayRightDown(Record* record);
    void onTrayRightUp(Record* record);

    // Status looks, texts, tray and timer (user-interface thread).
    void show(Look look);
    void setStatus(const char* text);
    // The tray icon for the look: with ShowCount, the mail icon carries the count of waiting mails.
    HICON trayIconOf(Look look, HICON icon);
    void dropBadgedTrayIcon();
    void enterTray();
    void leaveTray();
    void startTimer();
    void stopTimer();
    void setMenuItemState(UINT item, UINT state);
    // Tells the user how a check or a deletion ended. Only one such box is open at a time: a result that arrives
    // while one is open is not shown, and no timer check starts until it is closed.
    void showResultBox(const char* text);

    // Sizes at the main window's DPI (application_dpi.cpp): the square, the icons drawn on it and in the
    // tray, loaded sharp at those sizes, and the square's place inside the screen it is on.
    void applyDpi(int newDpi);
    void loadIcons();
    void moveSquareInto(int x, int y, const RECT& area, UINT flags);

    // Checks and commands.
    void startCheck();
    void checkNow(bool keepList);
    void openPopupMenu();
    void raiseListWindow();
    void openListWindow();
    // With Notify, the balloon names the mails this check found new; any balloon up goes first.
    void tellOfNewMail();
    void shutDown();
    void applyHandedOverList();
    void clearMailList();
    void forgetListOfOtherMailbox();

    // The worker thread: the mail check and the end of check.
    void Run() override;
    void OnThreadEnd() override;

    // mail::CheckHost, called on the worker thread.
    void checkStarted() override;
    void showChecking() override;
    void showIdle() override;
    void setStatusText(const char* text) override;
    void clearStartedByTimer() override;
    void handOverList(const mail::MailEntryList& list) override;
    void noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) override;
    void reportDeletionRefused() override;
    void noMail() override;
    void mailWaiting(int count) override;
    void checkFailed(int errorCode) override;
    void checkEnded() override;
    // Enables or grays the menu items that follow the check: stop while it runs, check now and settings otherwise.
    void enableCheckMenuItems(bool checking);

    framework::MessageTable<Application> messageHandlers;
    framework::CommandTable<Application> commandHandlers;
    framework::HandlerTable<Application, UINT> trayHandlers;
    mail::MailEntryList mailList;
    MailListWindow mailListWindow;
    NewMailBalloon notice{kCmdNoticeClicked};

    HBRUSH currentBrush = nullptr;
    HBRUSH redBrush = nullptr;
    HBRUSH blueBrush = nullptr;
    HBRUSH greenBrush = nullptr;
    HICON currentIcon = nullptr;
    HICON idleIcon = nullptr;
    HICON mailIcon = nullptr;
    HICON checkingIcon = nullptr;
    HICON idleIconSmall = nullptr;
    HICON mailIconSmall = nullptr;
    HICON checkingIconSmall = nullptr;
    // The tray's mail icon with the count of waiting mails (ShowCount); made for each count, destroyed here.
    HICON badgedTrayIcon = nullptr;
    // The count of the last check that found mail, for the badge; 0 after one that found none.
    int waitingCount = 0;
    // The main window's DPI and what follows from it; at 96 DPI the sizes the program was drawn for.
    int dpi = 96;
    int squareSize = 32;
    int squareIconSize = 32;
    int trayIconSize = 16;
    HMENU menuResource = nullptr;
    HMENU popup = nullptr;

    bool paused = false;
    bool settingsOpen = false;
    // The question whether to trust a certificate is up: the menu and the settings dialog stay closed meanwhile.
    bool trustQuestionOpen = false;
    // The no-mail result closed the list window: its close report must not undo the result's status text.
    bool listClosedByNoMail = false;
    NOTIFYICONDATAA trayData{};

    settings::ProfileValue profile;
    settings::Settings settings;
    net::Pop3Session session;
    // The check that Run carries out; prepared here with a copy of the list each time a check starts.
    mail::MailCheck mailCheck;

    std::atomic<bool> startedByTimer{false};
    std::atomic<bool> checkRunning{false};
    // The check's server refused a deletion; told with its result (101 or 102).
    std::atomic<bool> deletionRefused{false};

    // The check's list on its way from the worker; applied when its result command is handled.
    mail::ListHandOver handOver;
    base::Lock workerTextMutex;
    std::string workerText;
    // The certificate behind the latest kErrCertUntrusted, from the worker (under workerTextMutex).
    mail::UntrustedCertificate untrustedCertificate;
    Look currentLook = Look::Idle;
    bool closed = false;
    bool resultBoxOpen = false;
};

}  // namespace app
