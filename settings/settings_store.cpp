#include "settings/settings_store.h"

#include "settings/password_scramble.h"

namespace {

bool readFlag(ProfileValue& profile, const char* key) {
    return profile.setKey(key).readInt(0) == 1;
}

// 0, 1 or 2; anything else is read as the plain text of a file without the key.
int readSslMode(ProfileValue& profile) {
    int mode = profile.setKey("SSL").readInt(0);
    return mode == 1 || mode == 2 ? mode : 0;
}

}  // namespace

void loadSettings(ProfileValue& profile, Settings& settings) {
    const Settings defaults;
    profile.section = kSettingsSection;
    settings.server = profile.setKey("SERVER").readString();
    settings.user = profile.setKey("USER").readString();
    settings.pass = decodePass(profile.setKey("PASS").readString());
    settings.pop3Port = profile.setKey("POP3_PORT").readInt(defaults.pop3Port);
    settings.timerMin = profile.setKey("TimerMin").readInt(defaults.timerMin);
    settings.headCount = profile.setKey("HeadCount").readInt(defaults.headCount);
    settings.playSound = profile.setKey("PlaySound").readString();
    settings.inTaskTray = readFlag(profile, "InTaskTray");
    settings.exeMail = profile.setKey("ExeMail").readString();
    settings.apop = readFlag(profile, "APOP");
    settings.sslMode = readSslMode(profile);
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
    record.sslMode = edited.sslMode;
    profile.setKey("SSL").writeInt(record.sslMode);
    // A certificate trusted for one server and port says nothing about another.
    if (serverChanged && !record.trustedCert.empty()) {
        record.trustedCert.clear();
        profile.setKey("TrustedCert").writeString(record.trustedCert);
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
