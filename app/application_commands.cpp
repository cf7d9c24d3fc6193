// The popup menu and the commands of the main window: check now, stop, the mail program, settings, quit, and
// what the mail list window reports when it closes.
#include "app/application.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/settings_dialog.h"
#include "app/status_texts.h"
#include "base/wipe.h"
#include "mail/check_result.h"
#include "res/resource_ids.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace app {

namespace {

constexpr char kDeletionCancelled[] = "現在チェック中なので現在の削除は、キャンセルされます";
constexpr char kMarksDroppedForNewMailbox[] =
    "メールサーバかユーザーIDが変わったので、一覧を閉じたにゃ\n"
    "チェックしたメールは削除していないにゃ（前のサーバに残っています）";

// Every mailbox of the settings, in their order.
std::vector<mail::MailboxId> mailboxesOf(const settings::Settings& settings) {
    std::vector<mail::MailboxId> ids;
    for (int k = 0; k < settings::mailboxCount(settings); ++k) {
        const settings::Settings& box = settings::mailboxAt(settings, k);
        ids.push_back(mail::MailboxId{box.server, box.pop3Port, box.user, k, {}});
    }
    return ids;
}

bool sameMailboxes(const std::vector<mail::MailboxId>& a, const std::vector<mail::MailboxId>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const mail::MailboxId& x, const mail::MailboxId& y) { return x.sameAs(y); });
}

}  // namespace

void Application::openPopupMenu() {
    if (settingsOpen || trustQuestionOpen || popup == nullptr) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr);
}

void Application::onTrayLeftDown(Record*) {
    raiseListWindow();
}

void Application::onTrayLeftDoubleClick(Record*) {
    checkNow(false);
}

void Application::onTrayRightDown(Record*) {
    raiseListWindow();
}

void Application::onTrayRightUp(Record*) {
    openPopupMenu();
}

// The command carries 0xFF0F when the list window asks for a check that carries out a confirmed deletion.
void Application::onCheckNow(Record* record) {
    checkNow(record->lParam == kKeepListMarker);
}

// A check the user asks for starts from an empty list, unless it carries a confirmed deletion: then it keeps
// the list, whose delete marks tell the check what to delete.
void Application::checkNow(bool keepList) {
    if (!keepList) {
        clearMailList();
        for (const auto& box : mailboxChecks) {
            if (!turns.running(box->index)) {
                box->waiting = 0;
            }
        }
    }
    startCheck(keepList);
}

void Application::onStopCheck(Record*) {
    stopAllChecks();
}

void Application::onStartMailer(Record*) {
    if (!settings.exeMail.empty()) {
        ShellExecuteA(hwnd, "open", settings.exeMail.c_str(), nullptr, nullptr, SW_SHOW);
    }
}

void Application::onQuit(Record*) {
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void Application::onSettings(Record*) {
    // Not while the certificate question waits: its answer belongs to the server the check used.
    if (settingsOpen || trustQuestionOpen) {
        return;
    }
    settingsOpen = true;
    stopTimer();
    {
        SettingsDialog dialog;
        dialog.fill(settings, idleIcon, idleIconSmall);
        dialog.Open(true, IDD_SETTINGS, hwnd, nullptr);
        if (dialog.accepted) {
            const std::vector<mail::MailboxId> before = mailboxesOf(settings);
            settings::Settings edited = dialog.edited();
            settings::saveSettings(profile, settings, edited);
            settings::wipePasswords(edited);
            EnableMenuItem(popup, IDM_START_MAILER, MF_BYCOMMAND | (settings.exeMail.empty() ? MF_GRAYED : MF_ENABLED));
            const bool changed = !sameMailboxes(before, mailboxesOf(settings));
            if (changed) {
                forgetListOfOtherMailbox();
            }
            // What a mailbox's check found belongs to the mailbox at that number, which may be another now.
            if (changed && IsEnded()) {
                reapEnded();
                mailboxChecks.clear();
            }
            matchMailboxChecks();
            show(currentLook);  // with or without the count
        }
    }
    settingsOpen = false;
    startTimer();
}

// The list shows another mailbox's mails now: it closes (as if the user closed it), so that no mark set in it can
// reach the new mailbox; the user hears of marks that were set.
void Application::forgetListOfOtherMailbox() {
    if (mailList.empty()) {
        return;
    }
    const bool marked =
        std::any_of(mailList.begin(), mailList.end(), [](const mail::MailEntry& entry) { return entry.deleteMark; });
    for (auto& entry : mailList) {
        entry.deleteMark = false;
    }
    if (mailListWindow.isOpen()) {
        PostMessageA(mailListWindow.hwndRef, WM_CLOSE, 0, 0);
    } else {
        clearMailList();
        if (IsEnded()) {
            show(Look::Idle);
            setStatus(nullptr);
        }
    }
    if (marked) {
        showResultBox(kMarksDroppedForNewMailbox);
    }
}

void Application::onListClosed(Record* record) {
    // Closed by the no-mail result rather than by the user: "メールなし" stays on show (whether or not the
    // worker has ended by now), and the list it showed is emptied.
    if (std::exchange(listClosedByNoMail, false) && record->lParam == 0) {
        clearMailList();
        return;
    }
    if (IsEnded()) {
        show(Look::Idle);
        setStatus(nullptr);
        // What each mailbox's last check found is no longer on show.
        for (const auto& box : mailboxChecks) {
            box->look = Look::Idle;
            box->waiting = 0;
        }
        if (record->lParam == 0) {
            clearMailList();
        } else {
            PostMessageA(hwnd, WM_COMMAND, IDM_CHECK_NOW, kKeepListMarker);
        }
        return;
    }
    if (record->lParam == 1) {
        // The running check works on the list as it was when it started, so these marks cannot reach the
        // server through it; drop them, so that no later check deletes what the user was told is cancelled.
        for (auto& entry : mailList) {
            entry.deleteMark = false;
        }
        showResultBox(kDeletionCancelled);
    }
}

void Application::onRaiseList(Record*) {
    raiseListWindow();
}

void Application::raiseListWindow() {
    SetForegroundWindow(GetWindow(hwnd, GW_OWNER));
    HWND list = mailListWindow.hwndRef;
    if (list != nullptr && IsWindow(list)) {
        SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    }
}

}  // namespace app
