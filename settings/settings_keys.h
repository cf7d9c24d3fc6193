#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "mail/check_settings.h"
#include "settings/settings.h"
#include "settings/settings_limits.h"

// The keys of the settings file, each with its field of the record, its default, what it may hold and how it is
// written. Loading, saving, the settings dialog and the start of a check all go through this one table, so that
// a new key is one line here (and a control in the dialog, if the user edits it).
namespace settings {

// How a key's value is written in the file.
enum class Form {
    kDecimal,        // decimal text; read as the platform reads a number, then settled by the key's range
    kFlag,           // 1 or 0; only exactly 1 reads as true
    kFlagOn,         // 1 or 0; absent (or empty) reads as true, otherwise only exactly 1
    kText,           // as it is
    kPassword,       // scrambled (password_scramble.h)
    kSslMode,        // 0, 1 or 2; anything else reads as kInvalidSslMode and stays in the file as it was
    kTrustedCert,    // "<fingerprint>@<server>:<port>"
    kProtectedPass,  // the password protected for the current user, as Base64 (PASS is then empty); the field is
                     // the switch protectPass
    kProtectedText,  // a secret protected for the current user, as Base64
};

// When saveSettings writes the key.
enum class Written {
    kOnSave,         // every time, from the dialog's values
    kOnceSet,        // from the dialog's values, once it was ever true: a file without it already means false
    kAtShutdown,     // never: saveWindowState writes it when the program ends
    kWhenForgotten,  // emptied when the server or port changes; saveTrustedCert writes it
    kWhenSet,        // from the dialog's values, once it differs from its default or the file has it
    kWhenSignedIn,   // by a sign-in and by the check that renews the token (saveRefreshToken), and on OK after a
                     // sign-in in the dialog
};

// Which sections hold the key: [SETTING] only, or [SETTING] for the first mailbox and [AccountN] for the others.
enum class Scope {
    kProgram,
    kMailbox,
};

// Where a key's value lives: in the record, and in a check's own copy (null: the check does not need it).
template <typename T>
struct Field {
    T Settings::*record;
    T mail::CheckSettings::*check;
};

struct Key {
    const char* name;  // in section [SETTING]
    Form form;
    std::variant<Field<int>, Field<bool>, Field<std::string>, Field<TrustedCertificate>> field;
    limits::NumberRange range;  // kDecimal and kSslMode: the values the program uses and the default
    Written written;
    Scope scope;
};

constexpr limits::NumberRange kNoRange{0, 0, 0, false};

constexpr Key decimalKey(const char* name,
                         int Settings::*record,
                         int mail::CheckSettings::*check,
                         const limits::NumberRange& range,
                         Scope scope) {
    return Key{name, Form::kDecimal, Field<int>{record, check}, range, Written::kOnSave, scope};
}

constexpr Key flagKey(const char* name,
                      bool Settings::*record,
                      bool mail::CheckSettings::*check,
                      Written written,
                      Scope scope) {
    return Key{name, Form::kFlag, Field<bool>{record, check}, kNoRange, written, scope};
}

constexpr Key textKey(const char* name,
                      std::string Settings::*record,
                      std::string mail::CheckSettings::*check,
                      Scope scope,
                      Written written = Written::kOnSave) {
    return Key{name, Form::kText, Field<std::string>{record, check}, kNoRange, written, scope};
}

constexpr Key passwordKey(const char* name, std::string Settings::*record, std::string mail::CheckSettings::*check) {
    return Key{name, Form::kPassword, Field<std::string>{record, check}, kNoRange, Written::kOnSave, Scope::kMailbox};
}

constexpr Key sslModeKey(const char* name, int Settings::*record, int mail::CheckSettings::*check) {
    return Key{name,           Form::kSslMode, Field<int>{record, check}, limits::kSslModeRange, Written::kOnSave,
               Scope::kMailbox};
}

constexpr Key trustedCertKey(const char* name,
                             TrustedCertificate Settings::*record,
                             TrustedCertificate mail::CheckSettings::*check) {
    return Key{name,     Form::kTrustedCert,      Field<TrustedCertificate>{record, check},
               kNoRange, Written::kWhenForgotten, Scope::kMailbox};
}

constexpr Key protectedPassKey(const char* name, bool Settings::*record) {
    return Key{name, Form::kProtectedPass, Field<bool>{record, nullptr}, kNoRange, Written::kWhenSet, Scope::kMailbox};
}

constexpr Key refreshTokenKey(const char* name, std::string Settings::*record) {
    return Key{name,     Form::kProtectedText,   Field<std::string>{record, nullptr},
               kNoRange, Written::kWhenSignedIn, Scope::kMailbox};
}

constexpr Key enabledKey(const char* name, bool Settings::*record) {
    return Key{name, Form::kFlagOn, Field<bool>{record, nullptr}, kNoRange, Written::kWhenSet, Scope::kMailbox};
}

// In the order saveSettings writes them: a key the file lacks is added after the section's last one, so this
// order is the order of a new file. TrustedCert comes after SERVER and POP3_PORT: a bare fingerprint belongs
// to them. PlaySound in [SETTING] is the program's sound; in [AccountN] the mailbox's own (empty: the program's).
// Name and Enabled come last, so that a file of a single mailbox that never set them stays as it was; the sign-in
// keys after them, written only once used. PassProtected comes after PASS: it replaces what PASS read.
// clang-format off
inline constexpr Key kKeys[] = {
    textKey("SERVER", &Settings::server, &mail::CheckSettings::server, Scope::kMailbox),
    textKey("USER", &Settings::user, &mail::CheckSettings::user, Scope::kMailbox),
    passwordKey("PASS", &Settings::pass, &mail::CheckSettings::pass),
    decimalKey("POP3_PORT", &Settings::pop3Port, &mail::CheckSettings::port, limits::kPop3PortRange, Scope::kMailbox),
    decimalKey("TimerMin", &Settings::timerMin, nullptr, limits::kTimerMinRange, Scope::kProgram),
    decimalKey("HeadCount", &Settings::headCount, &mail::CheckSettings::headCount, limits::kHeadCountRange,
               Scope::kMailbox),
    textKey("PlaySound", &Settings::playSound, nullptr, Scope::kMailbox),
    flagKey("InTaskTray", &Settings::inTaskTray, nullptr, Written::kAtShutdown, Scope::kProgram),
    textKey("ExeMail", &Settings::exeMail, nullptr, Scope::kProgram),
    flagKey("APOP", &Settings::apop, &mail::CheckSettings::apop, Written::kOnSave, Scope::kMailbox),
    decimalKey("TimeoutSec", &Settings::timeoutSec, &mail::CheckSettings::timeoutSec, limits::kTimeoutSecRange,
               Scope::kMailbox),
    sslModeKey("SSL", &Settings::sslMode, &mail::CheckSettings::sslMode),
    trustedCertKey("TrustedCert", &Settings::trustedCert, &mail::CheckSettings::trustedCert),
    flagKey("NewMailSoundOnly", &Settings::newMailSoundOnly, nullptr, Written::kOnceSet, Scope::kProgram),
    flagKey("ShowCount", &Settings::showCount, nullptr, Written::kOnceSet, Scope::kProgram),
    flagKey("Notify", &Settings::notify, nullptr, Written::kOnceSet, Scope::kProgram),
    textKey("Name", &Settings::name, nullptr, Scope::kMailbox, Written::kWhenSet),
    enabledKey("Enabled", &Settings::enabled),
    textKey("Auth", &Settings::auth, nullptr, Scope::kMailbox, Written::kWhenSet),
    protectedPassKey("PassProtected", &Settings::protectPass),
    textKey("OAuthProvider", &Settings::oauthProvider, nullptr, Scope::kMailbox,
            Written::kWhenSet),
    textKey("OAuthClientId", &Settings::oauthClientId, nullptr, Scope::kMailbox,
            Written::kWhenSet),
    textKey("OAuthClientSecret", &Settings::oauthClientSecret, nullptr,
            Scope::kMailbox, Written::kWhenSet),
    textKey("OAuthAuthorizeUrl", &Settings::oauthAuthorizeUrl, nullptr, Scope::kMailbox, Written::kWhenSet),
    textKey("OAuthTokenUrl", &Settings::oauthTokenUrl, nullptr, Scope::kMailbox,
            Written::kWhenSet),
    textKey("OAuthScope", &Settings::oauthScope, nullptr, Scope::kMailbox, Written::kWhenSet),
    refreshTokenKey("OAuthRefreshToken", &Settings::refreshToken),
};
// clang-format on

// The key of that name; naming a key that does not exist fails to compile where the result must be constant.
constexpr const Key& keyNamed(std::string_view name) {
    for (const Key& key : kKeys) {
        if (name == key.name) {
            return key;
        }
    }
    throw "no such settings key";
}

// The key's field of `record`; T is the field's type (int for kDecimal and kSslMode, bool for kFlag and kFlagOn,
// std::string for kText and kPassword, TrustedCertificate for kTrustedCert).
template <typename T>
T& fieldOf(Settings& record, const Key& key) {
    return record.*std::get<Field<T>>(key.field).record;
}

template <typename T>
const T& fieldOf(const Settings& record, const Key& key) {
    return record.*std::get<Field<T>>(key.field).record;
}

// Whether the settings dialog edits the key: saveSettings takes exactly these from the dialog's record.
constexpr bool editedInDialog(const Key& key) {
    return key.written == Written::kOnSave || key.written == Written::kOnceSet || key.written == Written::kWhenSet;
}

// The values of the keys the dialog edits, from one record into another, and the further mailboxes whole. A
// text's old value is wiped before it is replaced: it may be the password.
void copyEditedValues(const Settings& from, Settings& to);

// The values of the mailbox keys the dialog edits, from one record into another (the further mailboxes stay).
void copyMailboxValues(const Settings& from, Settings& to);

// Wipes every password and token the record holds, its further mailboxes' too.
void wipePasswords(Settings& record);

// The section of the mailbox at `index` (0 is [SETTING]): "Account2" for index 1 and so on.
std::string sectionOfMailbox(int index);

// How many bytes the dialog's field for the key takes: as much text as comes back unchanged from the file, and
// no more digits than the key's highest number. 0 for keys that have no text field.
std::size_t fieldLength(const Key& key);

}  // namespace settings
