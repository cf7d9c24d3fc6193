// The status square and tray icon, the status text, the check timer, and the results of a check.
#include "app/application.h"

#include <mmsystem.h>

#include "app/count_badge_paint.h"
#include "app/dpi_scale.h"
#include "app/error_texts.h"
#include "app/mail_sound.h"
#include "app/status_texts.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace app {

namespace {

constexpr UINT_PTR kCheckTimerId = 10;
constexpr int kListWidth = 440;
constexpr int kListHeight = 160;
const char kDeletionRefused[] =
    "チェックしたメールのうち、消せなかったメールがあるにゃ\n消せなかったメールはサーバに残っています";

}  // namespace

void Application::show(Look look) {
    currentLook = look;
    switch (look) {
        case Look::Idle:
            currentBrush = blueBrush;
            currentIcon = idleIcon;
            trayData.hIcon = trayIconOf(look, idleIconSmall);
            break;
        case Look::Checking:
            currentBrush = greenBrush;
            currentIcon = checkingIcon;
            trayData.hIcon = trayIconOf(look, checkingIconSmall);
            break;
        case Look::MailWaiting:
            currentBrush = redBrush;
            currentIcon = mailIcon;
            trayData.hIcon = trayIconOf(look, mailIconSmall);
            break;
    }
    if (settings.inTaskTray) {
        Shell_NotifyIconA(NIM_MODIFY, &trayData);
    } else {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
}

HICON Application::trayIconOf(Look look, HICON icon) {
    dropBadgedTrayIcon();
    if (look != Look::MailWaiting || !settings.showCount || waitingCount <= 0) {
        return icon;
    }
    badgedTrayIcon = iconWithBadge(icon, trayIconSize, badgeImage(waitingCount, trayIconSize));
    return badgedTrayIcon != nullptr ? badgedTrayIcon : icon;
}

// The icon the tray shows is replaced before this one goes.
void Application::dropBadgedTrayIcon() {
    if (badgedTrayIcon != nullptr) {
        DestroyIcon(badgedTrayIcon);
        badgedTrayIcon = nullptr;
    }
}

void Application::setStatus(const char* text) {
    if (text == nullptr) {
        text = kProgramTitle;
    }
    lstrcpynA(trayData.szTip, text, sizeof trayData.szTip);
    if (settings.inTaskTray) {
        Shell_NotifyIconA(NIM_MODIFY, &trayData);
    }
    SetWindowTextA(hwnd, text);
}

void Application::enterTray() {
    ShowWindow(hwnd, SW_HIDE);
    Shell_NotifyIconA(NIM_ADD, &trayData);
    settings.inTaskTray = true;
}

void Application::leaveTray() {
    if (settings.inTaskTray) {
        Shell_NotifyIconA(NIM_DELETE, &trayData);
    }
    settings.inTaskTray = false;
}

void Application::startTimer() {
    // After the shutdown (a modal dialog may return into a handler after it) there is no window to time.
    if (closed || paused || !anyMailboxToCheck()) {
        return;
    }
    SetTimer(hwnd, kCheckTimerId, settings::limits::timerPeriodMs(settings.timerMin), nullptr);
}

// A mailbox with a server and a user: the timer has something to check.
bool Application::anyMailboxToCheck() const {
    for (int k = 0; k < settings::mailboxCount(settings); ++k) {
        const settings::Settings& box = settings::mailboxAt(settings, k);
        if (!box.server.empty() && !box.user.empty()) {
            return true;
        }
    }
    return false;
}

void Application::stopTimer() {
    KillTimer(hwnd, kCheckTimerId);
}

void Application::onEraseBackground(Record* record) {
    auto dc = reinterpret_cast<HDC>(record->wParam);
    RECT square{0, 0, squareSize, squareSize};
    FillRect(dc, &square, currentBrush);
    // The icon at its own size, in the middle when the DPI asks for a size between two of its images.
    const int inset = (squareSize - squareIconSize) / 2;
    DrawIconEx(dc, inset, inset, currentIcon, squareIconSize, squareIconSize, 0, nullptr, DI_NORMAL);
    // The count in the bottom right corner; the status colour keeps the rest of the square.
    if (currentLook == Look::MailWaiting && settings.showCount) {
        paintBadge(dc, squareSize, squareSize, badgeImage(waitingCount, squareSize));
    }
}

void Application::onTimer(Record* record) {
    // The result box's own loop handles the timer too: a check started there would stack box upon box.
    if (record->wParam != kCheckTimerId || !turns.idle() || resultBoxOpen) {
        return;
    }
    startedByTimer.store(true);
    startCheck();
}

Application::Look Application::overallLook() const {
    Look look = Look::Idle;
    for (const auto& box : mailboxChecks) {
        if (box->look == Look::Checking) {
            return Look::Checking;
        }
        if (box->look == Look::MailWaiting) {
            look = Look::MailWaiting;
        }
    }
    return look;
}

// The square's look and the title count every mailbox; the tooltip adds a line per mailbox.
void Application::showOverall() {
    int total = 0;
    std::vector<std::string> lines;
    for (int k = 0; k < settings::mailboxCount(settings); ++k) {
        const settings::Settings& record = settings::mailboxAt(settings, k);
        const MailboxCheck* box = mailboxCheck(k);
        const int waiting = box != nullptr ? box->waiting : 0;
        total += waiting;
        if (record.enabled) {
            const bool unfinished = record.server.empty() || record.user.empty();
            lines.push_back(mailboxStatusLine(settings::mailboxName(record), waiting,
                                              box != nullptr ? box->lastError : -1, unfinished));
        }
    }
    waitingCount = total;
    show(overallLook());
    if (overallLook() == Look::Checking) {
        return;  // the checking text stays until the results are in
    }
    const std::string title = total > 0 ? mailWaitingText(total) : noMailText();
    setStatus(title.c_str());
    lstrcpynA(trayData.szTip, severalMailboxesTip(title, lines).c_str(), sizeof trayData.szTip);
    if (settings.inTaskTray) {
        Shell_NotifyIconA(NIM_MODIFY, &trayData);
    }
}

void Application::onNoMail(Record* record) {
    MailboxCheck* box = mailboxCheck(HIWORD(record->wParam));
    if (box == nullptr) {
        return;
    }
    applyHandedOverList(*box);
    box->waiting = 0;
    box->look = Look::Idle;
    if (severalMailboxes()) {
        showOverall();
        if (waitingCount == 0) {
            notice.close();
        }
        if (mailList.empty() && mailListWindow.isOpen()) {
            listClosedByNoMail = true;
            PostMessageA(mailListWindow.hwndRef, WM_CLOSE, 0, 0);
        }
        tellDeletionRefused(*box);
        return;
    }
    waitingCount = 0;
    notice.close();
    show(Look::Idle);
    setStatus(noMailText().c_str());
    if (mailListWindow.isOpen()) {
        listClosedByNoMail = true;
        PostMessageA(mailListWindow.hwndRef, WM_CLOSE, 0, 0);
    }
    startedByTimer.store(false);
    tellDeletionRefused(*box);
}

void Application::onMailWaiting(Record* record) {
    MailboxCheck* box = mailboxCheck(HIWORD(record->wParam));
    if (box == nullptr) {
        return;
    }
    applyHandedOverList(*box);
    box->waiting = static_cast<int>(record->lParam);
    box->look = Look::MailWaiting;
    const settings::Settings& mailbox = settings::mailboxAt(settings, box->index);
    // One sound per round of checks: the first mailbox that has mail to tell (new mail, with NewMailSoundOnly).
    if (!roundSoundPlayed &&
        playsMailSound(settings::soundFor(settings, mailbox), settings.newMailSoundOnly,
                       severalMailboxes() ? mail::entriesOfMailbox(mailList, box->index) : mailList)) {
        roundSoundPlayed = true;
        PlaySoundA(settings::soundFor(settings, mailbox).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
    }
    if (severalMailboxes()) {
        showOverall();
    } else {
        waitingCount = static_cast<int>(record->lParam);
        setStatus(mailWaitingText(static_cast<int>(record->lParam)).c_str());
        show(Look::MailWaiting);
    }
    openListWindow();
    tellOfNewMail();
    if (!startedByTimer.load()) {
        raiseListWindow();
    }
    if (!severalMailboxes() || turns.runningCount() <= 1) {
        startedByTimer.store(false);
    }
    tellDeletionRefused(*box);
}

void Application::openListWindow() {
    mailListWindow.setMailerPath(&settings.exeMail);
    mailListWindow.setAccountColumn(severalMailboxes());
    mailListWindow.Show(hwnd, &mailList, CW_USEDEFAULT, CW_USEDEFAULT, scaledForDpi(kListWidth, dpi),
                        scaledForDpi(kListHeight, dpi));
}

void Application::tellOfNewMail() {
    const NewMailNotice text = settings.notify ? newMailNotice(mailList) : NewMailNotice{};
    if (settings.inTaskTray) {
        notice.showInTray(trayData, text);
    } else {
        notice.showAtSquare(hwnd, text);
    }
}

// A click on the balloon shows the list, opening it again if the user had closed it.
void Application::onNoticeClicked(Record*) {
    notice.close();
    if (!mailListWindow.isOpen() && !mailList.empty()) {
        openListWindow();
    }
    raiseListWindow();
}

// After the list is updated, so that the mails that stay are there to see.
void Application::tellDeletionRefused(MailboxCheck& box) {
    if (box.deletionRefused.exchange(false)) {
        showMailboxBox(box.index, kDeletionRefused);
    }
}

void Application::onCheckFailed(Record* record) {
    const int mailbox = HIWORD(record->wParam);
    MailboxCheck* box = mailboxCheck(mailbox);
    if (box != nullptr) {
        if (severalMailboxes()) {
            // A failed check of one mailbox keeps that mailbox's rows (and their ticks) as they were.
            mail::MailEntryList dropped;
            box->handOver.applyTo(dropped);
            box->look = Look::Idle;
            box->lastError = static_cast<int>(record->lParam);
            showOverall();
            // Its rows stay (a deletion that could not be carried out stays ticked) and are there to see.
            if (!mail::entriesOfMailbox(mailList, mailbox).empty()) {
                openListWindow();
            }
        } else {
            applyHandedOverList(*box);
        }
    }
    if (record->lParam == mail::kErrCertUntrusted) {
        askToTrustCertificate(mailbox);
        return;
    }
    if (record->lParam == mail::kErrAuthUnavailable && mailbox >= 0 && mailbox < settings::mailboxCount(settings)) {
        showMailboxBox(
            mailbox,
            authUnavailableMessage(mail::authMethodOfKey(settings::mailboxAt(settings, mailbox).auth)).c_str());
        return;
    }
    if (record->lParam == mail::kErrSignInNeeded && mailbox >= 0 && mailbox < settings::mailboxCount(settings) &&
        settings::mailboxAt(settings, mailbox).refreshTokenUnreadable) {
        showMailboxBox(mailbox, kRefreshTokenUnreadable);
        return;
    }
    const char* text = errorMessage(static_cast<int>(record->lParam));
    if (text != nullptr) {
        showMailboxBox(mailbox, text);
    }
}

void Application::showResultBox(const char* text) {
    if (resultBoxOpen) {
        return;
    }
    resultBoxOpen = true;
    MessageBoxA(hwnd, text, kProgramTitle, MB_ICONERROR);
    resultBoxOpen = false;
}

void Application::showMailboxBox(int mailbox, const char* text) {
    if (!severalMailboxes() || mailbox < 0 || mailbox >= settings::mailboxCount(settings)) {
        showResultBox(text);
        return;
    }
    waitingBoxes.push_back(mailboxBoxText(settings::mailboxName(settings::mailboxAt(settings, mailbox)), text));
    if (resultBoxOpen) {
        return;  // shown when the open one closes
    }
    while (!waitingBoxes.empty() && !closed) {
        const std::string next = waitingBoxes.front();
        waitingBoxes.pop_front();
        showResultBox(next.c_str());
    }
}

// "Yes" trusts exactly this certificate for the server and port the failed check used (until the server or port
// is changed) and checks again; "No" leaves the check ended: nothing was sent to the server past the TLS handshake.
void Application::askToTrustCertificate(int mailbox) {
    MailboxCheck* box = mailboxCheck(mailbox);
    if (box == nullptr) {
        return;
    }
    mail::UntrustedCertificate certificate;
    {
        base::Locked lock(box->workerTextMutex);
        certificate = box->untrustedCertificate;
    }
    // Like every result box, one at a time: a question already open answers for this server.
    if (resultBoxOpen) {
        return;
    }
    std::string question = untrustedCertificateQuestion(certificate.problem, certificate.fingerprint);
    if (severalMailboxes()) {
        question = mailboxBoxText(settings::mailboxName(settings::mailboxAt(settings, mailbox)), question.c_str());
    }
    resultBoxOpen = true;
    trustQuestionOpen = true;
    int answer = MessageBoxA(hwnd, question.c_str(), kProgramTitle, MB_YESNO | MB_ICONERROR);
    trustQuestionOpen = false;
    resultBoxOpen = false;
    if (answer != IDYES || certificate.fingerprint.empty()) {
        return;
    }
    settings::saveTrustedCert(
        profile, settings, settings::TrustedCertificate{certificate.fingerprint, certificate.server, certificate.port},
        mailbox);
    // The failed check is ending on its own (it no longer waits for anything); the new one starts after it.
    box->worker.Wait(worker::kInfinite);
    reapEnded();
    if (severalMailboxes()) {
        turns.add(mailbox);
        startWhatFits();
    } else {
        checkNow(false);
    }
}

void Application::onTrayOrWindow(Record*) {
    notice.close();
    if (settings.inTaskTray) {
        ShowWindow(hwnd, SW_SHOW);
        leaveTray();
        setMenuItemState(IDM_TRAY, 0);
    } else {
        enterTray();
        setMenuItemState(IDM_TRAY, MFS_CHECKED);
    }
}

void Application::onPause(Record*) {
    paused = !paused;
    if (paused) {
        stopTimer();
        setMenuItemState(IDM_PAUSE, MFS_CHECKED);
    } else {
        startTimer();
        setMenuItemState(IDM_PAUSE, 0);
    }
}

}  // namespace app
