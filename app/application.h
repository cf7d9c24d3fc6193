#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/mail_list_window.h"
#include "app/new_mail_balloon.h"
#include "base/lock.h"
#include "framework/handler_table.h"
#include "framework/window_base.h"
#include "mail/check_host.h"
#include "mail/check_turns.h"
#include "mail/list_hand_over.h"
#include "mail/mail_entry.h"
#include "mail/mailbox_worker.h"
#include "settings/profile_value.h"
#include "settings/settings.h"

namespace app {

// The program's one long-lived object: the main window (the 32 by 32 status square, or the tray icon that stands
// in for it), and for each mailbox of the settings the worker thread that checks it. It owns the settings, the
// mail list of every mailbox, the mail list window and the checks.
//
// Threads: everything runs on the user-interface thread except the checks. A check reaches the window only
// through its mailbox's CheckHost calls; those that change what is on screen (status look, title, tooltip) and
// its results are posted to the main window with the mailbox's number and done here, so no worker ever waits for
// this thread and the shutdown can wait for the workers without handling messages. Several mailboxes are checked
// side by side, at most four at once; the square shows checking while any check runs, mail while any mailbox
// has mail.
class Application : public framework::WindowBase {
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

    // True when no check runs (every mailbox's worker has ended).
    bool IsEnded() const;
    // Waits for every running check to end; true when all ended within `timeoutMs` each.
    bool Wait(unsigned long timeoutMs);

private:
    using Record = framework::MessageRecord;

    // Posted by a mailbox's check to have the screen updated on this thread: wParam the Look and lParam the
    // mailbox; for the status text wParam the mailbox and lParam 0 the title alone, 1 the text waiting in its
    // workerText; at its end wParam the mailbox. Results are WM_COMMAND with the mailbox in the high word.
    static constexpr UINT kMsgWorkerLook = WM_APP + 1;
    static constexpr UINT kMsgWorkerStatusText = WM_APP + 2;
    static constexpr UINT kMsgCheckEnded = WM_APP + 3;

    // One mailbox's checks: its worker, and what its check told, for the main window.
    class MailboxCheck final : public mail::CheckHost {
    public:
        MailboxCheck(Application& owner, int index);

        // mail::CheckHost, called on the mailbox's worker thread.
        void checkStarted() override;
        void showChecking() override;
        void showIdle() override;
        void setStatusText(const char* text) override;
        void clearStartedByTimer() override;
        void handOverList(const mail::MailEntryList& list) override;
        void noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) override;
        void tokensRenewed(const std::string& accessToken,
                           long long expiresAt,
                           const std::string& refreshToken) override;
        void reportDeletionRefused() override;
        void noMail() override;
        void mailWaiting(int count) override;
        void checkFailed(int errorCode) override;
        void checkEnded() override;

        Application& owner;
        const int index;
        // The check's list on its way from the worker; applied when its result command is handled.
        mail::ListHandOver handOver;
        // The check's server refused a deletion; told with its result.
        std::atomic<bool> deletionRefused{false};
        base::Lock workerTextMutex;
        std::string workerText;
        // The certificate behind the latest kErrCertUntrusted (under workerTextMutex).
        mail::UntrustedCertificate untrustedCertificate;
        // Tokens the check renewed, kept for the settings when it ends (under workerTextMutex).
        bool tokensWaiting = false;
        std::string renewedAccessToken;
        long long renewedExpiresAt = 0;
        std::string renewedRefreshToken;
        // User-interface thread: the file's protected password could not be opened, and the user was told.
        bool toldUnreadable = false;
        // User-interface thread: the look its check asked for, and what its last check found.
        Look look = Look::Idle;
        int waiting = 0;
        int lastError = -1;
        // Last: stopped and reaped before the rest goes.
        mail::MailboxWorker worker;
    };

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
    void onCheckEnded(Record* record);

    // Commands.
    void onNoMail(Record* record);
    void tellDeletionRefused(MailboxCheck& box);
    void onMailWaiting(Record* record);
    void onListClosed(Record* record);
    void onCheckFailed(Record* record);
    void askToTrustCertificate(int mailbox);
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
    bool anyMailboxToCheck() const;
    void stopTimer();
    void setMenuItemState(UINT item, UINT state);
    // Tells the user how a check or a deletion ended. Only one such box is open at a time: a result that arrives
    // while one is open is not shown, and no timer check starts until it is closed.
    void showResultBox(const char* text);
    // With several mailboxes a box names its mailbox, and one that comes while another is open waits its turn.
    void showMailboxBox(int mailbox, const char* text);

    // Sizes at the main window's DPI (application_dpi.cpp): the square, the icons drawn on it and in the
    // tray, loaded sharp at those sizes, and the square's place inside the screen it is on.
    void applyDpi(int newDpi);
    void loadIcons();
    void moveSquareInto(int x, int y, const RECT& area, UINT flags);

    // Checks and commands.
    void startCheck(bool deletion = false);
    bool startMailbox(int mailbox);
    // A mailbox whose worker has ended counts as ended, even before its end message has come.
    void reapEnded();
    void startWhatFits();
    bool severalMailboxes() const;
    MailboxCheck* mailboxCheck(int mailbox);
    // One MailboxCheck per mailbox of the settings (only while no check runs).
    void matchMailboxChecks();
    // The look and texts of all mailboxes together (several mailboxes).
    Look overallLook() const;
    void showOverall();
    void stopAllChecks();
    void checkNow(bool keepList);
    void openPopupMenu();
    void raiseListWindow();
    // Opens the list window over the mail list (or refills it), without raising it.
    void openListWindow();
    // With Notify, the balloon names the mails this check found new; any balloon up goes first.
    void tellOfNewMail();
    void shutDown();
    void applyHandedOverList(MailboxCheck& box);
    void keepRenewedTokens(MailboxCheck& box);
    void clearMailList();
    void forgetListOfOtherMailbox();

    // Enables or grays the menu items that follow the checks: stop while one runs, check now and settings otherwise.
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

    std::atomic<bool> startedByTimer{false};
    // The sound of this round of checks has played (it plays once, for the first mailbox with mail to tell).
    bool roundSoundPlayed = false;
    // Boxes that name their mailbox, waiting for the one on screen to close.
    std::deque<std::string> waitingBoxes;
    mail::CheckTurns turns;

    Look currentLook = Look::Idle;
    bool closed = false;
    bool resultBoxOpen = false;
    // Last: each stops and reaps its worker before anything it reaches goes.
    std::vector<std::unique_ptr<MailboxCheck>> mailboxChecks;
};

}  // namespace app
