// Starting checks, the turns of several mailboxes, and what each mailbox's check asks of the main window.
#include "app/application.h"

#include <algorithm>

#include "app/command_ids.h"
#include "app/error_texts.h"
#include "app/password_dialog.h"
#include "app/status_texts.h"
#include "base/wipe.h"
#include "mail/auth_method.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace app {

bool Application::severalMailboxes() const {
    return settings::mailboxCount(settings) > 1;
}

Application::MailboxCheck* Application::mailboxCheck(int mailbox) {
    if (mailbox < 0 || static_cast<std::size_t>(mailbox) >= mailboxChecks.size()) {
        return nullptr;
    }
    return mailboxChecks[static_cast<std::size_t>(mailbox)].get();
}

void Application::matchMailboxChecks() {
    const auto count = static_cast<std::size_t>(settings::mailboxCount(settings));
    // Only ever while nothing runs: the settings dialog is closed during checks.
    if (mailboxChecks.size() > count) {
        mailboxChecks.resize(count);
    }
    while (mailboxChecks.size() < count) {
        mailboxChecks.push_back(std::make_unique<MailboxCheck>(*this, static_cast<int>(mailboxChecks.size())));
    }
}

bool Application::IsEnded() const {
    return std::all_of(mailboxChecks.begin(), mailboxChecks.end(),
                       [](const std::unique_ptr<MailboxCheck>& box) { return box->worker.IsEnded(); });
}

bool Application::Wait(unsigned long timeoutMs) {
    bool ended = true;
    for (const auto& box : mailboxChecks) {
        ended = box->worker.Wait(timeoutMs) && ended;
    }
    return ended;
}

// `deletion`: the check carries a confirmed deletion. With several mailboxes only those with ticked mail are
// checked then; otherwise every enabled one. A mailbox without a server or user is passed over (the tooltip says
// so); one whose SSL value the program cannot use gets the "settings not finished" box, naming it.
void Application::startCheck(bool deletion) {
    matchMailboxChecks();
    if (!severalMailboxes()) {
        // An SSL value the program cannot use counts as unfinished settings: no guess at plain text.
        if (settings.server.empty() || settings.user.empty() ||
            !settings::limits::inRange(settings::limits::kSslModeRange, settings.sslMode) ||
            mail::authMethodOfKey(settings.auth) == mail::AuthMethod::Unknown) {
            PostMessageA(hwnd, WM_COMMAND, kCmdCheckFailed, mail::kErrSettingsIncomplete);
            return;
        }
    }
    reapEnded();
    if (turns.idle()) {
        roundSoundPlayed = false;
    }
    std::vector<int> wanted;
    if (deletion && severalMailboxes()) {
        wanted = mail::mailboxesWithMarks(mailList);
    } else {
        for (int k = 0; k < settings::mailboxCount(settings); ++k) {
            wanted.push_back(k);
        }
    }
    for (int k : wanted) {
        const settings::Settings& box = settings::mailboxAt(settings, k);
        if (!box.enabled || box.server.empty() || box.user.empty()) {
            continue;
        }
        if (!settings::limits::inRange(settings::limits::kSslModeRange, box.sslMode) ||
            mail::authMethodOfKey(box.auth) == mail::AuthMethod::Unknown) {
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kCmdCheckFailed, k), mail::kErrSettingsIncomplete);
            continue;
        }
        turns.add(k);
    }
    startWhatFits();
}

void Application::startWhatFits() {
    turns.startWhatFits([this](int k) { return startMailbox(k); });
    enableCheckMenuItems(!turns.idle());
}

bool Application::startMailbox(int mailbox) {
    MailboxCheck* box = mailboxCheck(mailbox);
    if (box == nullptr || closed) {
        return false;
    }
    settings::Settings& record = settings::mailboxAt(settings, mailbox);
    // A sign-in needs no password: the check renews its token itself.
    const bool withPassword = mail::authMethodOfKey(record.auth) != mail::AuthMethod::OAuth2;
    if (withPassword && record.pass.empty() && record.protectedPassUnreadable && !box->toldUnreadable) {
        box->toldUnreadable = true;
        showMailboxBox(mailbox, kProtectedPassUnreadable);
    }
    if (withPassword && record.pass.empty()) {
        PasswordDialog prompt;
        if (severalMailboxes()) {
            prompt.mailboxName = settings::mailboxName(record);
        }
        prompt.Ask(hwnd);
        if (prompt.password.empty() || closed) {
            // Cancelled or confirmed empty: this one check is skipped, the next one asks again.
            if (turns.runningCount() <= 1) {
                startedByTimer.store(false);
            }
            return false;
        }
        record.pass = prompt.password;
        record.passFromPrompt = true;
    }
    setStatus(checkingText(!mailList.empty()).c_str());
    // The check works on a copy taken now: marks set from here on cannot reach the server through it. With
    // several mailboxes it gets its own mailbox's entries only.
    box->worker.prepare(severalMailboxes() ? mail::entriesOfMailbox(mailList, mailbox) : mailList,
                        settings::takeCheckSettings(record, mailbox));
    box->look = Look::Checking;
    box->lastError = -1;
    enableCheckMenuItems(true);
    return box->worker.Start();
}

void Application::reapEnded() {
    for (const auto& box : mailboxChecks) {
        if (turns.running(box->index) && box->worker.IsEnded()) {
            box->worker.Wait(worker::kInfinite);
            turns.ended(box->index);
        }
    }
}

void Application::stopAllChecks() {
    turns.dropWaiting();
    for (const auto& box : mailboxChecks) {
        box->worker.stop();
    }
}

void Application::onCheckEnded(Record* record) {
    MailboxCheck* box = mailboxCheck(static_cast<int>(record->wParam));
    // A later run of the same mailbox may have started since: its own end message will come.
    if (box == nullptr || !box->worker.IsEnded()) {
        return;
    }
    box->worker.Wait(worker::kInfinite);
    turns.ended(box->index);
    keepRenewedTokens(*box);
    if (closed) {
        return;
    }
    startWhatFits();
    if (severalMailboxes()) {
        showOverall();
    }
}

// A renewed access token serves the next checks of this run; a refresh token handed out with it has replaced the
// old one at the server, so it goes into the file at once.
void Application::keepRenewedTokens(MailboxCheck& box) {
    base::Locked lock(box.workerTextMutex);
    if (!box.tokensWaiting || box.index >= settings::mailboxCount(settings)) {
        return;
    }
    box.tokensWaiting = false;
    settings::Settings& record = settings::mailboxAt(settings, box.index);
    base::wipeString(record.accessToken);
    record.accessToken = box.renewedAccessToken;
    record.accessExpiresAt = box.renewedExpiresAt;
    base::wipeString(box.renewedAccessToken);
    if (!box.renewedRefreshToken.empty()) {
        settings::saveRefreshToken(profile, settings, box.index, box.renewedRefreshToken);
        base::wipeString(box.renewedRefreshToken);
    }
}

void Application::applyHandedOverList(MailboxCheck& box) {
    if (!severalMailboxes()) {
        if (box.handOver.applyTo(mailList)) {
            mailListWindow.refreshRows();
        }
        return;
    }
    mail::MailEntryList fresh;
    if (box.handOver.applyTo(fresh)) {
        mail::replaceEntriesOfMailbox(mailList, box.index, fresh);
        mailListWindow.refreshRows();
    }
}

void Application::clearMailList() {
    mailList.clear();
    mailListWindow.refreshRows();
    notice.close();  // it named mails of the list
}

void Application::enableCheckMenuItems(bool checking) {
    // A menu is not a window: changing an item sends no message and cannot wait for this thread.
    const auto enable = [this](UINT item, bool enabled) {
        EnableMenuItem(popup, item, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    };
    enable(IDM_STOP_CHECK, checking);
    enable(IDM_CHECK_NOW, !checking);
    enable(IDM_SETTINGS, !checking);
}

// --- mail::CheckHost of one mailbox, on its worker thread ---

Application::MailboxCheck::MailboxCheck(Application& owner, int index) : owner(owner), index(index), worker(*this) {
}

void Application::MailboxCheck::checkStarted() {
    owner.enableCheckMenuItems(true);
}

void Application::MailboxCheck::showChecking() {
    PostMessageA(owner.hwnd, kMsgWorkerLook, static_cast<WPARAM>(Look::Checking), index);
}

void Application::MailboxCheck::showIdle() {
    PostMessageA(owner.hwnd, kMsgWorkerLook, static_cast<WPARAM>(Look::Idle), index);
}

void Application::MailboxCheck::setStatusText(const char* text) {
    if (text == nullptr) {
        PostMessageA(owner.hwnd, kMsgWorkerStatusText, static_cast<WPARAM>(index), 0);
        return;
    }
    {
        base::Locked lock(workerTextMutex);
        workerText = text;
    }
    PostMessageA(owner.hwnd, kMsgWorkerStatusText, static_cast<WPARAM>(index), 1);
}

void Application::MailboxCheck::clearStartedByTimer() {
    owner.startedByTimer.store(false);
}

void Application::MailboxCheck::handOverList(const mail::MailEntryList& list) {
    handOver.put(list);
}

void Application::MailboxCheck::noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) {
    base::Locked lock(workerTextMutex);
    untrustedCertificate = certificate;
}

void Application::MailboxCheck::tokensRenewed(const std::string& accessToken,
                                              long long expiresAt,
                                              const std::string& refreshToken) {
    base::Locked lock(workerTextMutex);
    base::wipeString(renewedAccessToken);
    renewedAccessToken = accessToken;
    renewedExpiresAt = expiresAt;
    if (!refreshToken.empty()) {
        base::wipeString(renewedRefreshToken);
        renewedRefreshToken = refreshToken;
    }
    tokensWaiting = true;
}

void Application::MailboxCheck::reportDeletionRefused() {
    deletionRefused.store(true);
}

void Application::MailboxCheck::noMail() {
    PostMessageA(owner.hwnd, WM_COMMAND, MAKEWPARAM(kCmdNoMail, index), 0);
}

void Application::MailboxCheck::mailWaiting(int count) {
    PostMessageA(owner.hwnd, WM_COMMAND, MAKEWPARAM(kCmdMailWaiting, index), count);
}

void Application::MailboxCheck::checkFailed(int errorCode) {
    PostMessageA(owner.hwnd, WM_COMMAND, MAKEWPARAM(kCmdCheckFailed, index), errorCode);
}

void Application::MailboxCheck::checkEnded() {
    PostMessageA(owner.hwnd, kMsgCheckEnded, static_cast<WPARAM>(index), 0);
}

// --- the workers' screen updates, done on this thread ---

void Application::onWorkerLook(Record* record) {
    const auto look = static_cast<Look>(record->wParam);
    if (!severalMailboxes()) {
        show(look);
        return;
    }
    if (MailboxCheck* box = mailboxCheck(static_cast<int>(record->lParam))) {
        box->look = look;
    }
    show(overallLook());
}

void Application::onWorkerStatusText(Record* record) {
    MailboxCheck* box = mailboxCheck(static_cast<int>(record->wParam));
    if (severalMailboxes()) {
        // The title counts every mailbox; a check's own text is for a single mailbox.
        showOverall();
        return;
    }
    if (record->lParam == 0 || box == nullptr) {
        setStatus(nullptr);
        return;
    }
    std::string text;
    {
        base::Locked lock(box->workerTextMutex);
        text = box->workerText;
    }
    setStatus(text.c_str());
}

}  // namespace app
