#include "settings/settings_keys.h"

#include <type_traits>

#include "base/wipe.h"
#include "settings/settings_field_limits.h"

namespace settings {

namespace {

constexpr std::size_t digitsOf(int number) {
    return number < 10 ? 1 : 1 + digitsOf(number / 10);
}

}  // namespace

namespace {

template <typename Wanted>
void copyValues(const Settings& from, Settings& to, Wanted wanted) {
    for (const Key& key : kKeys) {
        if (!editedInDialog(key) || !wanted(key)) {
            continue;
        }
        std::visit(
            [&](const auto& field) {
                if constexpr (std::is_same_v<std::decay_t<decltype(to.*field.record)>, std::string>) {
                    base::wipeString(to.*field.record);
                }
                to.*field.record = from.*field.record;
            },
            key.field);
    }
}

}  // namespace

void copyEditedValues(const Settings& from, Settings& to) {
    if (&from == &to) {
        return;  // wiping first would lose the values
    }
    copyValues(from, to, [](const Key&) { return true; });
    for (Settings& gone : to.moreMailboxes) {
        wipePasswords(gone);
    }
    to.moreMailboxes = from.moreMailboxes;
}

void copyMailboxValues(const Settings& from, Settings& to) {
    if (&from == &to) {
        return;
    }
    copyValues(from, to, [](const Key& key) { return key.scope == Scope::kMailbox; });
}

void wipePasswords(Settings& record) {
    base::wipeString(record.pass);
    base::wipeString(record.oauthClientSecret);
    base::wipeString(record.refreshToken);
    base::wipeString(record.accessToken);
    for (Settings& mailbox : record.moreMailboxes) {
        wipePasswords(mailbox);
    }
}

std::string sectionOfMailbox(int index) {
    return index == 0 ? std::string("SETTING") : "Account" + std::to_string(index + 1);
}

std::string mailboxName(const Settings& mailbox) {
    return mailbox.name.empty() ? mailbox.user + '@' + mailbox.server : mailbox.name;
}

bool checkable(const Settings& mailbox) {
    return mailbox.enabled && !mailbox.server.empty() && !mailbox.user.empty() &&
           limits::inRange(limits::kSslModeRange, mailbox.sslMode);
}

const std::string& soundFor(const Settings& program, const Settings& mailbox) {
    return mailbox.playSound.empty() ? program.playSound : mailbox.playSound;
}

std::size_t fieldLength(const Key& key) {
    switch (key.form) {
        case Form::kText:
            return kFieldLimit;
        case Form::kPassword:
            return kPasswordLimit;
        case Form::kDecimal:
            return digitsOf(key.range.highest);
        default:
            return 0;
    }
}

}  // namespace settings
