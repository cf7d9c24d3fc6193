// Starting a check, the check on the worker thread, and what the check asks of the main window.
#include "app/application.h"

#include "app/command_ids.h"
#include "app/password_dialog.h"
#include "app/status_texts.h"
#include "base/wipe.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"

namespace app {

void Application::startCheck() {
    // An SSL value the program cannot use counts as unfinished settings: no guess at plain text.
    if (settings.server.empty() || settings.user.empty() ||
        !settings::limits::inRange(settings::limits::kSslModeRange, settings.sslMode)) {
        PostMessageA(hwnd, WM_COMMAND, kCmdCheckFailed, mail::kErrSettingsIncomplete);
        return;
    }
    if (checkRunning.load()) {
        return;
    }
    checkRunning.store(true);
    if (settings.pass.empty()) {
        PasswordDialog prompt;
        prompt.Ask(hwnd);
        if (prompt.password.empty()) {
            // Cancelled or confirmed empty: this one check is skipped, the next one asks again.
            checkRunning.store(false);
            startedByTimer.store(false);
            return;
        }
        settings.pass = prompt.password;
        settings.passFromPrompt = true;
    }
    setStatus(checkingText(!mailList.empty()).c_str());
    // The check works on a copy taken now: marks set from here on cannot reach the server through it.
    mailCheck.prepare(mailList, settings::takeCheckSettings(settings));
    if (!Start()) {
        checkRunning.store(false);
    }
}

void Application::Run() {
    mailCheck.run();
}

void Application::OnThreadEnd() {
    mailCheck.finish();
}

void Application::applyHandedOverList() {
    if (handOver.applyTo(mailList)) {
        mailListWindow.refreshRows();
    }
}

void Application::clearMailList() {
    mailList.clear();
    mailListWindow.refreshRows();
    notice.close();  // it named mails of the list
}

// --- mail::CheckHost, on the worker thread ---

void Application::checkStarted() {
    enableCheckMenuItems(true);
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

void Application::showChecking() {
    PostMessageA(hwnd, kMsgWorkerLook, static_cast<WPARAM>(Look::Checking), 0);
}

void Application::showIdle() {
    PostMessageA(hwnd, kMsgWorkerLook, static_cast<WPARAM>(Look::Idle), 0);
}

void Application::setStatusText(const char* text) {
    if (text == nullptr) {
        PostMessageA(hwnd, kMsgWorkerStatusText, 0, 0);
        return;
    }
    {
        base::Locked lock(workerTextMutex);
        workerText = text;
    }
    PostMessageA(hwnd, kMsgWorkerStatusText, 0, 1);
}

void Application::clearStartedByTimer() {
    startedByTimer.store(false);
}

void Application::handOverList(const mail::MailEntryList& list) {
    handOver.put(list);
}

void Application::noteUntrustedCertificate(const mail::UntrustedCertificate& certificate) {
    base::Locked lock(workerTextMutex);
    untrustedCertificate = certificate;
}

void Application::reportDeletionRefused() {
    deletionRefused.store(true);
}

void Application::noMail() {
    PostMessageA(hwnd, WM_COMMAND, kCmdNoMail, 0);
}

void Application::mailWaiting(int count) {
    PostMessageA(hwnd, WM_COMMAND, kCmdMailWaiting, count);
}

void Application::checkFailed(int errorCode) {
    PostMessageA(hwnd, WM_COMMAND, kCmdCheckFailed, errorCode);
}

void Application::checkEnded() {
    enableCheckMenuItems(false);
    checkRunning.store(false);
}

// --- the worker's screen updates, done on this thread ---

void Application::onWorkerLook(Record* record) {
    show(static_cast<Look>(record->wParam));
}

void Application::onWorkerStatusText(Record* record) {
    if (record->lParam == 0) {
        setStatus(nullptr);
        return;
    }
    std::string text;
    {
        base::Locked lock(workerTextMutex);
        text = workerText;
    }
    setStatus(text.c_str());
}

}  // namespace app
