#include "settings/settings_store.h"

#include "settings/password_scramble.h"

namespace {

bool readFlag(ProfileValue& profile, const char* key) {
    return profile.setKey(key).readInt(0) == 1;
}

// A number from the file, brought into the range the program can use.
int readNumber(ProfileValue& profile, const char* key, const settings_limits::NumberRange& range) {
    return settings_limits::settle(range, profile.setKey(key).readInt(range.fallback));
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
    settings.sslMode = readNumber(profile, "SSL", settings_limits::kSslModeRange);
    settings.trustedCert = profile.setKey("TrustedCert").readString();
}

void saveTrustedCert(ProfileValue& profile, Settings& settings, const std::string& fingerprint) {
    profile.section = kSettingsSection;
    settings.trustedCert = fingerprint;
    profile.setKey("TrustedCert").writeString(settings.trustedCert);
}

void saveSettings(ProfileValue& profile, Settings& record, const Settings& edited) {
    profile.section = kSettingsSection;
    const bool serverChanged = record.server != edited.server || record.pop3Port != edited.pop3Port;
    record.server = edited.server;
    profile.setKey("SERVER").writeString(record.server);
    record.user = edited.user;
    profile.setKey("USER").writeString(record.user);
    record.pass = edited.pass;
    profile.setKey("PASS").writeString(encodePass(record.pass));
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
    profile.setKey("SSL").writeInt(record.sslMode);
    // A certificate trusted for one server and port says nothing about another.
    if (serverChanged && !record.trustedCert.empty()) {
        record.trustedCert.clear();
        profile.setKey("TrustedCert").writeString(record.trustedCert);
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
