#include "settings/settings_store.h"

#include "base/decimal.h"
#include "base/wipe.h"
#include "settings/password_scramble.h"

namespace {

bool readFlag(ProfileValue& profile, const char* key) {
    return profile.setKey(key).readInt(0) == 1;
}

// A number from the file, brought into the range the program can use.
int readNumber(ProfileValue& profile, const char* key, const settings_limits::NumberRange& range) {
    return settings_limits::settle(range, profile.setKey(key).readInt(range.fallback));
}

// SSL: absent (or empty) is plain text, as in files from before the key; exactly 0, 1 or 2 is that mode; anything
// else is kept as invalid rather than guessed.
int readSslMode(ProfileValue& profile) {
    const std::string text = profile.setKey("SSL").readString();
    if (text.empty()) {
        return settings_limits::kDefaultSslMode;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '2') {
        return text[0] - '0';
    }
    return settings_limits::kInvalidSslMode;
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
TrustedCertificate readTrustedCert(ProfileValue& profile, const std::string& server, int port) {
    const std::string text = profile.setKey("TrustedCert").readString();
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
    if (!settings_limits::inRange(settings_limits::kPop3PortRange, boundPort)) {
        return {};
    }
    return TrustedCertificate{text.substr(0, at), text.substr(at + 1, colon - at - 1), boundPort};
}

}  // namespace

void loadSettings(ProfileValue& profile, Settings& settings) {
    profile.section = kSettingsSection;
    settings.server = profile.setKey("SERVER").readString();
    settings.user = profile.setKey("USER").readString();
    settings.pass = decodePass(profile.setKey("PASS").readString());
    settings.pop3Port = readNumber(profile, "POP3_PORT", settings_limits::kPop3PortRange);
    settings.timerMin = readNumber(profile, "TimerMin", settings_limits::kTimerMinRange);
    settings.headCount = readNumber(profile, "HeadCount", settings_limits::kHeadCountRange);
    settings.playSound = profile.setKey("PlaySound").readString();
    settings.inTaskTray = readFlag(profile, "InTaskTray");
    settings.exeMail = profile.setKey("ExeMail").readString();
    settings.apop = readFlag(profile, "APOP");
    settings.timeoutSec = readNumber(profile, "TimeoutSec", settings_limits::kTimeoutSecRange);
    settings.newMailSoundOnly = readFlag(profile, "NewMailSoundOnly");
    settings.sslMode = readSslMode(profile);
    settings.trustedCert = readTrustedCert(profile, settings.server, settings.pop3Port);
}

void saveTrustedCert(ProfileValue& profile, Settings& settings, const TrustedCertificate& pin) {
    profile.section = kSettingsSection;
    settings.trustedCert = pin;
    profile.setKey("TrustedCert").writeString(trustedCertText(settings.trustedCert));
}

void saveSettings(ProfileValue& profile, Settings& record, const Settings& edited) {
    profile.section = kSettingsSection;
    const bool serverChanged = record.server != edited.server || record.pop3Port != edited.pop3Port;
    record.server = edited.server;
    profile.setKey("SERVER").writeString(record.server);
    record.user = edited.user;
    profile.setKey("USER").writeString(record.user);
    // Wiped first: a longer new password would otherwise give the old one's block back as it is.
    base::wipeString(record.pass);
    record.pass = edited.pass;
    std::string scrambled = encodePass(record.pass);
    profile.setKey("PASS").writeString(scrambled);
    base::wipeString(scrambled);
    record.pop3Port = edited.pop3Port;
    profile.setKey("POP3_PORT").writeInt(record.pop3Port);
    record.timerMin = edited.timerMin;
    profile.setKey("TimerMin").writeInt(record.timerMin);
    record.headCount = edited.headCount;
    profile.setKey("HeadCount").writeInt(record.headCount);
    record.playSound = edited.playSound;
    profile.setKey("PlaySound").writeString(record.playSound);
    record.exeMail = edited.exeMail;
    profile.setKey("ExeMail").writeString(record.exeMail);
    record.apop = edited.apop;
    profile.setKey("APOP").writeInt(record.apop ? 1 : 0);
    record.timeoutSec = edited.timeoutSec;
    profile.setKey("TimeoutSec").writeInt(record.timeoutSec);
    record.sslMode = edited.sslMode;
    // A value the program cannot use stays in the file as it was, until the user picks a mode.
    if (settings_limits::inRange(settings_limits::kSslModeRange, record.sslMode)) {
        profile.setKey("SSL").writeInt(record.sslMode);
    }
    // A certificate trusted for one server and port says nothing about another.
    if (serverChanged && !record.trustedCert.fingerprint.empty()) {
        record.trustedCert = TrustedCertificate{};
        profile.setKey("TrustedCert").writeString("");
    }
    record.newMailSoundOnly = edited.newMailSoundOnly;
    // A file that never had the switch on stays as it was: its absence already means off.
    if (record.newMailSoundOnly || !profile.setKey("NewMailSoundOnly").readString().empty()) {
        profile.setKey("NewMailSoundOnly").writeInt(record.newMailSoundOnly ? 1 : 0);
    }
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

mail::CheckSettings takeCheckSettings(Settings& record) {
    if (record.headCount < 1) {
        record.headCount = 2;
    }
    mail::CheckSettings check;
    check.server = record.server;
    check.port = record.pop3Port;
    check.user = record.user;
    check.pass = record.pass;
    check.apop = record.apop;
    check.headCount = record.headCount;
    check.timeoutSec = record.timeoutSec;
    check.sslMode = record.sslMode;
    check.trustedCert = record.trustedCert;
    if (record.passFromPrompt) {
        base::wipeString(record.pass);
        record.passFromPrompt = false;
    }
    return check;
}
