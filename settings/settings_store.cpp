#include "settings/settings_store.h"

#include <algorithm>
#include <vector>

#include "base/ascii.h"
#include "base/decimal.h"
#include "base/wipe.h"
#include "settings/password_scramble.h"
#include "settings/profile_file.h"
#include "settings/protected_secret.h"
#include "settings/settings_keys.h"

namespace settings {

namespace {

// SSL: absent (or empty) is plain text, as in files from before the key; exactly 0, 1 or 2 is that mode; anything
// else is kept as invalid rather than guessed.
int sslModeFrom(const std::string& text) {
    if (text.empty()) {
        return limits::kDefaultSslMode;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '2') {
        return text[0] - '0';
    }
    return limits::kInvalidSslMode;
}

// TrustedCert is "<fingerprint>@<server>:<port>". Versions from before the binding compare the whole value with
// the certificate's fingerprint, so they never accept it: they ask again instead of trusting it for any server.
std::string trustedCertText(const TrustedCertificate& pin) {
    if (pin.fingerprint.empty()) {
        return {};
    }
    return pin.fingerprint + '@' + pin.server + ':' + std::to_string(pin.port);
}

// A bare fingerprint (from before the binding) belongs to the server and port the file names. A value that names
// no port that can be read is no pin at all.
TrustedCertificate trustedCertFrom(const std::string& text, const std::string& server, int port) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos) {
        return TrustedCertificate{text, server, port};
    }
    // The last colon: an IPv6 address has colons of its own.
    const std::size_t colon = text.rfind(':');
    const std::string digits = colon == std::string::npos || colon < at ? "" : text.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
        return {};
    }
    const int boundPort = static_cast<int>(base::readDecimal(digits).value);
    if (!limits::inRange(limits::kPop3PortRange, boundPort)) {
        return {};
    }
    return TrustedCertificate{text.substr(0, at), text.substr(at + 1, colon - at - 1), boundPort};
}

// The password in its protected form, when the mailbox keeps it so and the system can protect it; nothing means
// PASS holds it scrambled as before. Both keys are written from this one answer, so the password is never in
// neither.
std::optional<std::string> protectedPassOf(const Settings& settings) {
    if (!settings.protectPass || settings.pass.empty()) {
        return std::nullopt;
    }
    return protectSecret(settings.pass);
}

// Reads one key into the record. TrustedCert needs SERVER and POP3_PORT read before it.
void readKey(ProfileValue& profile, const Key& key, Settings& settings) {
    profile.setKey(key.name);
    switch (key.form) {
        case Form::kDecimal:
            fieldOf<int>(settings, key) = limits::settle(key.range, profile.readInt(key.range.fallback));
            break;
        case Form::kFlag:
            fieldOf<bool>(settings, key) = profile.readInt(0) == 1;
            break;
        case Form::kFlagOn:
            fieldOf<bool>(settings, key) = profile.readInt(1) == 1;
            break;
        case Form::kText:
            fieldOf<std::string>(settings, key) = profile.readString();
            break;
        case Form::kPassword:
            fieldOf<std::string>(settings, key) = decodePass(profile.readString());
            break;
        case Form::kSslMode:
            fieldOf<int>(settings, key) = sslModeFrom(profile.readString());
            break;
        case Form::kTrustedCert:
            fieldOf<TrustedCertificate>(settings, key) =
                trustedCertFrom(profile.readString(), settings.server, settings.pop3Port);
            break;
        case Form::kProtectedPass: {
            // Replaces what PASS gave (an older version's password, if any, is the one the user left behind).
            const std::string stored = profile.readString();
            fieldOf<bool>(settings, key) = !stored.empty();
            settings.protectedPassUnreadable = false;
            if (!stored.empty()) {
                std::optional<std::string> pass = unprotectSecret(stored);
                base::wipeString(settings.pass);
                settings.protectedPassUnreadable = !pass;
                if (pass) {
                    settings.pass = std::move(*pass);
                    base::wipeString(*pass);
                }
            }
            break;
        }
        case Form::kProtectedText: {
            const std::string stored = profile.readString();
            std::optional<std::string> secret = stored.empty() ? std::nullopt : unprotectSecret(stored);
            settings.refreshTokenUnreadable = !stored.empty() && !secret;
            base::wipeString(fieldOf<std::string>(settings, key));
            if (secret) {
                fieldOf<std::string>(settings, key) = std::move(*secret);
                base::wipeString(*secret);
            }
            break;
        }
    }
}

// Writes one key from the record. An SSL value the program cannot use stays in the file as it was, until the user
// picks a mode.
void writeKey(ProfileValue& profile, const Key& key, const Settings& settings) {
    profile.setKey(key.name);
    switch (key.form) {
        case Form::kDecimal:
            profile.writeInt(fieldOf<int>(settings, key));
            break;
        case Form::kFlag:
        case Form::kFlagOn:
            profile.writeInt(fieldOf<bool>(settings, key) ? 1 : 0);
            break;
        case Form::kText:
            profile.writeString(fieldOf<std::string>(settings, key));
            break;
        case Form::kPassword: {
            // A protected password that cannot be opened here stays in the file as it is until a new one is typed:
            // the file may go back to the user and computer that can open it.
            if (settings.protectedPassUnreadable && settings.pass.empty()) {
                break;
            }
            // Empty while PassProtected holds the password.
            std::string scrambled =
                protectedPassOf(settings) ? std::string() : encodePass(fieldOf<std::string>(settings, key));
            profile.writeString(scrambled);
            base::wipeString(scrambled);
            break;
        }
        case Form::kProtectedPass:
            if (const std::optional<std::string> stored = protectedPassOf(settings)) {
                profile.writeString(*stored);
            } else if (!settings.protectedPassUnreadable || !settings.pass.empty()) {
                profile.writeString("");
            }
            break;
        case Form::kProtectedText: {
            const std::string& secret = fieldOf<std::string>(settings, key);
            if (secret.empty() && settings.refreshTokenUnreadable) {
                break;  // kept for the user and computer that can open it
            }
            profile.writeString(secret.empty() ? std::string() : protectSecret(secret).value_or(std::string()));
            break;
        }
        case Form::kSslMode:
            if (limits::inRange(key.range, fieldOf<int>(settings, key))) {
                profile.writeInt(fieldOf<int>(settings, key));
            }
            break;
        case Form::kTrustedCert:
            profile.writeString(trustedCertText(fieldOf<TrustedCertificate>(settings, key)));
            break;
    }
}

// A mailbox's tokens as they stand, and whose they are.
struct TokenHolder {
    std::string server, user, clientId;
    std::string refreshToken, accessToken;
    long long accessExpiresAt = 0;
};

std::vector<TokenHolder> tokenHolders(const Settings& record) {
    std::vector<TokenHolder> holders;
    for (int index = 0; index < mailboxCount(record); ++index) {
        const Settings& mailbox = mailboxAt(record, index);
        holders.push_back(TokenHolder{mailbox.server, mailbox.user, mailbox.oauthClientId, mailbox.refreshToken,
                                      mailbox.accessToken, mailbox.accessExpiresAt});
    }
    return holders;
}

void keepCurrentTokens(const std::vector<TokenHolder>& current, Settings& record) {
    for (int index = 0; index < mailboxCount(record); ++index) {
        Settings& mailbox = mailboxAt(record, index);
        if (mailbox.signedInHere) {
            continue;
        }
        // A mailbox now naming another server, user or app has no tokens: they were another account's.
        const TokenHolder* same = nullptr;
        for (const TokenHolder& holder : current) {
            if (base::equalsNoCase(holder.server, mailbox.server) && holder.user == mailbox.user &&
                holder.clientId == mailbox.oauthClientId) {
                same = &holder;
                break;
            }
        }
        base::wipeString(mailbox.refreshToken);
        base::wipeString(mailbox.accessToken);
        mailbox.refreshToken = same != nullptr ? same->refreshToken : std::string();
        mailbox.accessToken = same != nullptr ? same->accessToken : std::string();
        mailbox.accessExpiresAt = same != nullptr ? same->accessExpiresAt : 0;
    }
}

// Whether the key holds other than its default, or the file has it already.
bool setOrPresent(ProfileValue& profile, const Key& key, const Settings& settings) {
    const bool isDefault = key.form == Form::kText || key.form == Form::kProtectedText
                               ? fieldOf<std::string>(settings, key).empty()
                           : key.form == Form::kFlagOn ? fieldOf<bool>(settings, key)
                                                       : !fieldOf<bool>(settings, key);
    return !isDefault || !profile.setKey(key.name).readString().empty();
}

// The further mailboxes' sections that the file has, in order: [Account2] to [Account16], each once (of two
// sections of one name only the first counts); others are no mailboxes.
std::vector<int> mailboxSections(const ProfileValue& profile) {
    const std::vector<std::string> names = profile_file::sectionNames(profile.path);
    std::vector<int> found;
    for (int index = 1; index < kMaxMailboxes; ++index) {
        const std::string wanted = sectionOfMailbox(index);
        if (std::any_of(names.begin(), names.end(),
                        [&wanted](const std::string& name) { return base::equalsNoCase(name, wanted); })) {
            found.push_back(index);
        }
    }
    return found;
}

// A further mailbox's section is written whole, every key each time: after a mailbox before it was deleted, the
// section holds another mailbox than it did, and nothing of the old one may stay.
void writeMailboxSection(ProfileValue& profile, int index, Settings& mailbox) {
    profile.section = sectionOfMailbox(index);
    // The pin travels with the mailbox; it counts only while the mailbox still names its server and port.
    if (!base::equalsNoCase(mailbox.trustedCert.server, mailbox.server) ||
        mailbox.trustedCert.port != mailbox.pop3Port) {
        mailbox.trustedCert = TrustedCertificate{};
    }
    for (const Key& key : kKeys) {
        if (key.scope == Scope::kMailbox) {
            writeKey(profile, key, mailbox);
        }
    }
}

}  // namespace

void loadSettings(ProfileValue& profile, Settings& settings) {
    profile.section = kSettingsSection;
    for (const Key& key : kKeys) {
        readKey(profile, key, settings);
    }
    for (Settings& gone : settings.moreMailboxes) {
        wipePasswords(gone);
    }
    settings.moreMailboxes.clear();
    for (int index : mailboxSections(profile)) {
        Settings mailbox;
        profile.section = sectionOfMailbox(index);
        for (const Key& key : kKeys) {
            if (key.scope == Scope::kMailbox) {
                readKey(profile, key, mailbox);
            }
        }
        settings.moreMailboxes.push_back(std::move(mailbox));
    }
    profile.section = kSettingsSection;
}

void saveRefreshToken(ProfileValue& profile, Settings& settings, int mailbox, const std::string& refreshToken) {
    if (mailbox < 0 || mailbox >= mailboxCount(settings)) {
        return;
    }
    profile.section = sectionOfMailbox(mailbox);
    Settings& record = mailboxAt(settings, mailbox);
    base::wipeString(record.refreshToken);
    record.refreshToken = refreshToken;
    record.refreshTokenUnreadable = false;
    writeKey(profile, keyNamed("OAuthRefreshToken"), record);
    profile.section = kSettingsSection;
}

void saveTrustedCert(ProfileValue& profile, Settings& settings, const TrustedCertificate& pin, int mailbox) {
    if (mailbox < 0 || mailbox >= mailboxCount(settings)) {
        return;
    }
    profile.section = sectionOfMailbox(mailbox);
    mailboxAt(settings, mailbox).trustedCert = pin;
    writeKey(profile, keyNamed("TrustedCert"), mailboxAt(settings, mailbox));
    profile.section = kSettingsSection;
}

void saveSettings(ProfileValue& profile, Settings& record, const Settings& edited) {
    profile.section = kSettingsSection;
    // Tokens renewed by a check while the dialog was open are newer than the dialog's copies, and a renewed
    // refresh token has spent the old one: a mailbox not signed in again in the dialog keeps what it has now.
    const std::vector<TokenHolder> current = tokenHolders(record);
    // A certificate trusted for one server and port says nothing about another.
    const bool serverChanged = record.server != edited.server || record.pop3Port != edited.pop3Port;
    // [SETTING] holds another mailbox now (the first was deleted and the second moved up): its sign-in goes with it.
    const bool mailboxChanged = serverChanged || record.user != edited.user;
    copyEditedValues(edited, record);
    if (edited.signedInHere) {
        base::wipeString(record.refreshToken);
        record.refreshToken = edited.refreshToken;
        record.accessToken = edited.accessToken;
        record.accessExpiresAt = edited.accessExpiresAt;
        record.signedInHere = true;
    }
    keepCurrentTokens(current, record);
    if (record.moreMailboxes.size() > static_cast<std::size_t>(kMaxMailboxes - 1)) {
        for (std::size_t k = kMaxMailboxes - 1; k < record.moreMailboxes.size(); ++k) {
            wipePasswords(record.moreMailboxes[k]);
        }
        record.moreMailboxes.resize(kMaxMailboxes - 1);
    }
    for (const Key& key : kKeys) {
        switch (key.written) {
            case Written::kOnSave:
                writeKey(profile, key, record);
                break;
            case Written::kOnceSet:
                // A file that never had the switch on stays as it was: its absence already means off.
                if (fieldOf<bool>(record, key) || !profile.setKey(key.name).readString().empty()) {
                    writeKey(profile, key, record);
                }
                break;
            case Written::kWhenForgotten:
                if (serverChanged && !fieldOf<TrustedCertificate>(record, key).fingerprint.empty()) {
                    fieldOf<TrustedCertificate>(record, key) = TrustedCertificate{};
                    writeKey(profile, key, record);
                }
                break;
            case Written::kWhenSet:
                if (setOrPresent(profile, key, record)) {
                    writeKey(profile, key, record);
                }
                break;
            case Written::kWhenSignedIn:
                // Also when [SETTING] holds another mailbox now: its token, or none, replaces the one there.
                if (record.signedInHere ||
                    (mailboxChanged && (!record.refreshToken.empty() || setOrPresent(profile, key, record)))) {
                    writeKey(profile, key, record);
                }
                break;
            case Written::kAtShutdown:
                break;
        }
    }
    for (int index = 1; index < mailboxCount(record); ++index) {
        writeMailboxSection(profile, index, mailboxAt(record, index));
    }
    for (int index = 0; index < mailboxCount(record); ++index) {
        mailboxAt(record, index).signedInHere = false;
    }
    // No holes: the sections after the last mailbox go.
    for (int index = mailboxCount(record); index < kMaxMailboxes; ++index) {
        profile_file::removeSection(profile.path, sectionOfMailbox(index));
    }
    profile.section = kSettingsSection;
}

void saveWindowState(ProfileValue& profile, int x, int y, bool inTaskTray) {
    profile.section = kSettingsSection;
    profile.setKey("X").writeInt(x);
    profile.setKey("Y").writeInt(y);
    profile.setKey("InTaskTray").writeInt(inTaskTray ? 1 : 0);
}

WindowPosition readWindowPosition(ProfileValue& profile) {
    const WindowPosition defaults;
    profile.section = kSettingsSection;
    WindowPosition position;
    position.x = profile.setKey("X").readInt(defaults.x);
    position.y = profile.setKey("Y").readInt(defaults.y);
    return position;
}

mail::CheckSettings takeCheckSettings(Settings& record, int mailbox) {
    record.headCount = limits::headCountForCheck(record.headCount);
    mail::CheckSettings check;
    check.mailbox = mailbox;
    check.mailboxName = mailboxName(record);
    for (const Key& key : kKeys) {
        std::visit(
            [&](const auto& field) {
                if (field.check != nullptr) {
                    check.*field.check = record.*field.record;
                }
            },
            key.field);
    }
    check.auth = mail::authMethodOfKey(record.auth);
    check.oauth.provider = record.oauthProvider;
    check.oauth.tokenUrl = record.oauthTokenUrl;
    check.oauth.clientId = record.oauthClientId;
    check.oauth.clientSecret = record.oauthClientSecret;
    check.oauth.refreshToken = record.refreshToken;
    check.oauth.accessToken = record.accessToken;
    check.oauth.accessExpiresAt = record.accessExpiresAt;
    if (record.passFromPrompt) {
        base::wipeString(record.pass);
        record.passFromPrompt = false;
    }
    return check;
}

}  // namespace settings
