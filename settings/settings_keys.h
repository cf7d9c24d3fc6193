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
    kDecimal,      // decimal text; read as the platform reads a number, then settled by the key's range
    kFlag,         // 1 or 0; only exactly 1 reads as true
    kText,         // as it is
    kPassword,     // scrambled (password_scramble.h)
    kSslMode,      // 0, 1 or 2; anything else reads as kInvalidSslMode and stays in the file as it was
    kTrustedCert,  // "<fingerprint>@<server>:<port>"
};

// When saveSettings writes the key.
enum class Written {
    kOnSave,         // every time, from the dialog's values
    kOnceSet,        // from the dialog's values, once it was ever true: a file without it already means false
    kAtShutdown,     // never: saveWindowState writes it when the program ends
    kWhenForgotten,  // emptied when the server or port changes; saveTrustedCert writes it
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
};

constexpr limits::NumberRange kNoRange{0, 0, 0, false};

constexpr Key decimalKey(const char* name,
                         int Settings::*record,
                         int mail::CheckSettings::*check,
                         const limits::NumberRange& range) {
    return Key{name, Form::kDecimal, Field<int>{record, check}, range, Written::kOnSave};
}

constexpr Key flagKey(const char* name, bool Settings::*record, bool mail::CheckSettings::*check, Written written) {
    return Key{name, Form::kFlag, Field<bool>{record, check}, kNoRange, written};
}

constexpr Key textKey(const char* name, std::string Settings::*record, std::string mail::CheckSettings::*check) {
    return Key{name, Form::kText, Field<std::string>{record, check}, kNoRange, Written::kOnSave};
}

constexpr Key passwordKey(const char* name, std::string Settings::*record, std::string mail::CheckSettings::*check) {
    return Key{name, Form::kPassword, Field<std::string>{record, check}, kNoRange, Written::kOnSave};
}

constexpr Key sslModeKey(const char* name, int Settings::*record, int mail::CheckSettings::*check) {
    return Key{name, Form::kSslMode, Field<int>{record, check}, limits::kSslModeRange, Written::kOnSave};
}

constexpr Key trustedCertKey(const char* name,
                             TrustedCertificate Settings::*record,
                             TrustedCertificate mail::CheckSettings::*check) {
    return Key{name, Form::kTrustedCert, Field<TrustedCertificate>{record, check}, kNoRange, Written::kWhenForgotten};
}

// In the order saveSettings writes them: a key the file lacks is added after the section's last one, so this
// order is the order of a new file. TrustedCert comes after SERVER and POP3_PORT: a bare fingerprint belongs
// to them.
// clang-format off
inline constexpr Key kKeys[] = {
    textKey("SERVER", &Settings::server, &mail::CheckSettings::server),
    textKey("USER", &Settings::user, &mail::CheckSettings::user),
    passwordKey("PASS", &Settings::pass, &mail::CheckSettings::pass),
    decimalKey("POP3_PORT", &Settings::pop3Port, &mail::CheckSettings::port, limits::kPop3PortRange),
    decimalKey("TimerMin", &Settings::timerMin, nullptr, limits::kTimerMinRange),
    decimalKey("HeadCount", &Settings::headCount, &mail::CheckSettings::headCount, limits::kHeadCountRange),
    textKey("PlaySound", &Settings::playSound, nullptr),
    flagKey("InTaskTray", &Settings::inTaskTray, nullptr, Written::kAtShutdown),
    textKey("ExeMail", &Settings::exeMail, nullptr),
    flagKey("APOP", &Settings::apop, &mail::CheckSettings::apop, Written::kOnSave),
    decimalKey("TimeoutSec", &Settings::timeoutSec, &mail::CheckSettings::timeoutSec, limits::kTimeoutSecRange),
    sslModeKey("SSL", &Settings::sslMode, &mail::CheckSettings::sslMode),
    trustedCertKey("TrustedCert", &Settings::trustedCert, &mail::CheckSettings::trustedCert),
    flagKey("NewMailSoundOnly", &Settings::newMailSoundOnly, nullptr, Written::kOnceSet),
    flagKey("ShowCount", &Settings::showCount, nullptr, Written::kOnceSet),
    flagKey("Notify", &Settings::notify, nullptr, Written::kOnceSet),
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

// The key's field of `record`; T is the field's type (int for kDecimal and kSslMode, bool for kFlag, std::string
// for kText and kPassword, TrustedCertificate for kTrustedCert).
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
    return key.written == Written::kOnSave || key.written == Written::kOnceSet;
}

// The values of the keys the dialog edits, from one record into another. A text's old value is wiped before it
// is replaced: it may be the password.
void copyEditedValues(const Settings& from, Settings& to);

// How many bytes the dialog's field for the key takes: as much text as comes back unchanged from the file, and
// no more digits than the key's highest number. 0 for keys that have no text field.
std::size_t fieldLength(const Key& key);

}  // namespace settings
