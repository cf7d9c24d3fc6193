#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_field_limits.h"
#include "settings/settings_store.h"
#include "tests/app/dialog_fields.h"
#include "tests/settings/temp_dir.h"

// Runs against both INI implementations, like the INI file cases.

namespace {

using settings_test::CurrentDirectory;
using settings_test::expectSameDialogFields;
using settings_test::readBytes;
using settings_test::TempDir;
using settings_test::writeBytes;

settings::Settings editedSettings() {
    settings::Settings edited;
    edited.server = "pop.example.jp";
    edited.user = "neko";
    edited.pass = "neko";
    edited.pop3Port = 995;
    edited.timerMin = 5;
    edited.headCount = 0;
    edited.timeoutSec = 30;
    edited.playSound = "C:\\ソ.wav";
    edited.exeMail = "";
    edited.apop = true;
    edited.sslMode = 2;
    return edited;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("Quorvane.ini");
    settings::ProfileValue profile{path};
};

TEST_F(SettingsStoreTest, WithoutAFileEverythingHasItsDefault) {
    settings::Settings settings;
    settings.passFromPrompt = true;
    settings::loadSettings(profile, settings);
    EXPECT_EQ("", settings.server);
    EXPECT_EQ("", settings.user);
    EXPECT_EQ("", settings.pass);
    EXPECT_TRUE(settings.passFromPrompt);
    EXPECT_EQ("", settings.playSound);
    EXPECT_EQ("", settings.exeMail);
    EXPECT_EQ(110, settings.pop3Port);
    EXPECT_EQ(60, settings.timerMin);
    EXPECT_EQ(2, settings.headCount);
    EXPECT_EQ(60, settings.timeoutSec);
    EXPECT_FALSE(settings.inTaskTray);
    EXPECT_FALSE(settings.apop);
    EXPECT_EQ(0, settings.sslMode);
    EXPECT_EQ("", settings.trustedCert.fingerprint);
    EXPECT_FALSE(settings.newMailSoundOnly);
    settings::WindowPosition position = settings::readWindowPosition(profile);
    EXPECT_EQ(100, position.x);
    EXPECT_EQ(100, position.y);
}

TEST_F(SettingsStoreTest, LoadsAHandWrittenFile) {
    profile.section = "Other";  // loading selects its own section
    writeBytes(path,
               "[Other]\r\nSERVER=wrong section\r\n"
               "[SETTING]\r\nSERVER=pop.example.jp\r\nUSER=neko\r\nPASS=NSGSISMS\r\nPOP3_PORT=1110\r\nTimerMin=5\r\n"
               "HeadCount=0\r\nPlaySound=C:\\nyaa.wav\r\nInTaskTray=2\r\nExeMail=C:\\mail.exe\r\nAPOP=yes\r\n"
               "X=300\r\nY=-20\r\n");
    settings::Settings settings;
    settings::loadSettings(profile, settings);
    EXPECT_EQ("SETTING", profile.section);
    EXPECT_EQ("pop.example.jp", settings.server);
    EXPECT_EQ("neko", settings.user);
    EXPECT_EQ("neko", settings.pass);
    EXPECT_EQ(1110, settings.pop3Port);
    EXPECT_EQ(5, settings.timerMin);
    EXPECT_EQ(0, settings.headCount);
    EXPECT_EQ("C:\\nyaa.wav", settings.playSound);
    EXPECT_FALSE(settings.inTaskTray);  // 2 is not 1
    EXPECT_EQ("C:\\mail.exe", settings.exeMail);
    EXPECT_FALSE(settings.apop);  // "yes" is not 1
    profile.section = "Other";
    settings::WindowPosition position = settings::readWindowPosition(profile);
    EXPECT_EQ(300, position.x);
    EXPECT_EQ(-20, position.y);
}

TEST_F(SettingsStoreTest, SwitchesAreTrueOnlyForExactlyOne) {
    struct Case {
        const char* stored;
        bool expected;
    };
    const std::vector<Case> cases = {{"1", true},   {" 1 ", true},  {"0", false}, {"2", false},
                                     {"-1", false}, {"yes", false}, {"", false}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // One file per case: the platform may keep a file it has read in memory while its time stamp is unchanged.
        settings::ProfileValue caseProfile(dir.file("flags" + std::to_string(i) + ".ini"));
        writeBytes(caseProfile.path, std::string("[SETTING]\r\nInTaskTray=") + cases[i].stored + "\r\nAPOP=" +
                                         cases[i].stored + "\r\nNewMailSoundOnly=" + cases[i].stored + "\r\n");
        settings::Settings settings;
        settings::loadSettings(caseProfile, settings);
        EXPECT_EQ(cases[i].expected, settings.inTaskTray) << '"' << cases[i].stored << '"';
        EXPECT_EQ(cases[i].expected, settings.apop) << '"' << cases[i].stored << '"';
        EXPECT_EQ(cases[i].expected, settings.newMailSoundOnly) << '"' << cases[i].stored << '"';
    }
}

TEST_F(SettingsStoreTest, TheNewMailSwitchIsWrittenOnceItWasEverOn) {
    settings::Settings record;
    settings::Settings edited = editedSettings();
    const std::string keys =
        "[SETTING]\r\nSERVER=pop.example.jp\r\nUSER=neko\r\nPASS=NSGSISMS\r\nPOP3_PORT=995\r\nTimerMin=5\r\n"
        "HeadCount=0\r\nPlaySound=C:\\ソ.wav\r\nExeMail=\r\nAPOP=1\r\nTimeoutSec=30\r\nSSL=2\r\n";
    for (bool on : {false, true, false}) {
        edited.newMailSoundOnly = on;
        settings::saveSettings(profile, record, edited);
        settings::Settings loaded;
        settings::loadSettings(profile, loaded);
        EXPECT_EQ(loaded.newMailSoundOnly, on);
    }
    EXPECT_EQ(readBytes(path), keys + "NewMailSoundOnly=0\r\n");
}

TEST_F(SettingsStoreTest, SaveWritesExactlyTheElevenDialogKeys) {
    writeBytes(path, "[SETTING]\r\nX=5\r\nY=6\r\nInTaskTray=1\r\nUnknown=keep\r\n[Other]\r\nSERVER=other\r\n");
    settings::Settings record;
    record.inTaskTray = true;
    record.passFromPrompt = true;
    record.pass = "typed";
    settings::Settings edited = editedSettings();
    edited.inTaskTray = false;
    edited.passFromPrompt = false;

    settings::saveSettings(profile, record, edited);
    expectSameDialogFields(edited, record);
    EXPECT_TRUE(record.inTaskTray);
    EXPECT_TRUE(record.passFromPrompt);
    const std::string expected =
        "[SETTING]\r\nX=5\r\nY=6\r\nInTaskTray=1\r\nUnknown=keep\r\n"
        "SERVER=pop.example.jp\r\nUSER=neko\r\nPASS=NSGSISMS\r\nPOP3_PORT=995\r\nTimerMin=5\r\nHeadCount=0\r\n"
        "PlaySound=C:\\ソ.wav\r\nExeMail=\r\nAPOP=1\r\nTimeoutSec=30\r\nSSL=2\r\n"
        "[Other]\r\nSERVER=other\r\n";
    EXPECT_EQ(expected, readBytes(path));

    // Saving again without a change rewrites the same keys in place.
    settings::saveSettings(profile, record, edited);
    EXPECT_EQ(expected, readBytes(path));
}

// Absent (or empty, as the platform reads an empty number) is plain text, as in files from before the key; any
// other value than 0, 1 or 2 must not connect at all, so it reads as invalid rather than as plain text.
TEST_F(SettingsStoreTest, TheSslModeIsZeroOneOrTwoAndAnythingElseIsInvalid) {
    const int invalid = settings::limits::kInvalidSslMode;
    const struct {
        const char* stored;  // null: no key
        int expected;
    } cases[] = {{nullptr, 0}, {"0", 0},        {"1", 1},        {"2", 2},         {" 2", 2},
                 {"2 ", 2},    {"3", invalid},  {"-1", invalid}, {"yes", invalid}, {"tls", invalid},
                 {"", 0},      {"02", invalid}, {"1x", invalid}, {"0x1", invalid}};
    int i = 0;
    for (const auto& c : cases) {
        const std::string shown = c.stored ? std::string("\"") + c.stored + '"' : "absent";
        settings::ProfileValue caseProfile(dir.file("ssl" + std::to_string(i++) + ".ini"));
        std::string text = "[SETTING]\r\nSERVER=pop.example.jp\r\n";
        if (c.stored != nullptr) {
            text += std::string("SSL=") + c.stored + "\r\n";
        }
        writeBytes(caseProfile.path, text);
        settings::Settings settings;
        settings::loadSettings(caseProfile, settings);
        EXPECT_EQ(c.expected, settings.sslMode) << shown;

        // Saving without a mode picked keeps the file's value as it was; a picked mode replaces it.
        settings::Settings record = settings;
        settings::Settings edited = editedSettings();
        edited.server = settings.server;
        edited.sslMode = settings.sslMode;
        settings::saveSettings(caseProfile, record, edited);
        const std::string saved = readBytes(caseProfile.path);
        if (c.expected == invalid) {
            EXPECT_NE(std::string::npos, saved.find(std::string("\r\nSSL=") + c.stored + "\r\n")) << shown;
            EXPECT_EQ(invalid, record.sslMode);
            settings::Settings reloaded;
            settings::loadSettings(caseProfile, reloaded);
            EXPECT_EQ(invalid, reloaded.sslMode) << shown;
            edited.sslMode = 1;
            settings::saveSettings(caseProfile, record, edited);
            EXPECT_NE(std::string::npos, readBytes(caseProfile.path).find("\r\nSSL=1\r\n")) << shown;
        } else {
            EXPECT_NE(std::string::npos, saved.find("\r\nSSL=" + std::to_string(c.expected) + "\r\n")) << shown;
        }
    }
}

// The pin names its server and port. A bare fingerprint, as older versions stored it, belongs to the file's server
// and port; a value whose port cannot be read is no pin at all.
TEST_F(SettingsStoreTest, TheTrustedCertificateIsReadWithTheServerItWasTrustedFor) {
    const std::string fp(64, 'a');
    const struct {
        std::string stored;
        settings::TrustedCertificate expected;
    } cases[] = {
        {fp + "@pop.example.jp:995", {fp, "pop.example.jp", 995}},
        {fp + "@other.example.jp:110", {fp, "other.example.jp", 110}},
        {fp + "@POP.Example.JP:995", {fp, "POP.Example.JP", 995}},
        {fp + "@::1:995", {fp, "::1", 995}},
        {fp + "@127.0.0.4:1", {fp, "127.0.0.4", 1}},
        {fp + "@:65535", {fp, "", 65535}},
        {fp, {fp, "pop.example.jp", 1995}},
        {"AB12", {"AB12", "pop.example.jp", 1995}},
        {"", {"", "pop.example.jp", 1995}},
        {fp + "@pop.example.jp", {}},
        {fp + "@pop.example.jp:", {}},
        {fp + "@pop.example.jp:0", {}},
        {fp + "@pop.example.jp:65536", {}},
        {fp + "@pop.example.jp:999999", {}},
        {fp + "@pop.example.jp:-995", {}},
        {fp + "@pop.example.jp:995x", {}},
        {fp + "@pop.example.jp: 995", {}},
    };
    int i = 0;
    for (const auto& c : cases) {
        settings::ProfileValue caseProfile(dir.file("pin" + std::to_string(i++) + ".ini"));
        writeBytes(caseProfile.path,
                   "[SETTING]\r\nSERVER=pop.example.jp\r\nPOP3_PORT=1995\r\nTrustedCert=" + c.stored + "\r\n");
        settings::Settings settings;
        settings::loadSettings(caseProfile, settings);
        EXPECT_EQ(c.expected.fingerprint, settings.trustedCert.fingerprint) << c.stored;
        if (!c.expected.fingerprint.empty()) {
            EXPECT_EQ(c.expected.server, settings.trustedCert.server) << c.stored;
            EXPECT_EQ(c.expected.port, settings.trustedCert.port) << c.stored;
        }
    }
}

TEST_F(SettingsStoreTest, TheTrustedCertificateIsStoredWithItsServerAndForgottenWhenServerOrPortChange) {
    const std::string fingerprint(64, 'c');
    const settings::TrustedCertificate pin{fingerprint, "pop.example.jp", 995};
    settings::Settings record = editedSettings();
    settings::saveSettings(profile, record, editedSettings());
    settings::saveTrustedCert(profile, record, pin);
    EXPECT_EQ(fingerprint, record.trustedCert.fingerprint);
    EXPECT_NE(std::string::npos, readBytes(path).find("\r\nTrustedCert=" + fingerprint + "@pop.example.jp:995\r\n"));
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    EXPECT_EQ(fingerprint, loaded.trustedCert.fingerprint);
    EXPECT_EQ("pop.example.jp", loaded.trustedCert.server);
    EXPECT_EQ(995, loaded.trustedCert.port);

    // Stored for the server the check used, even when the settings name another by now.
    settings::saveTrustedCert(profile, record, settings::TrustedCertificate{fingerprint, "fe80::1", 110});
    settings::loadSettings(profile, loaded);
    EXPECT_EQ("fe80::1", loaded.trustedCert.server);
    EXPECT_EQ(110, loaded.trustedCert.port);
    settings::saveTrustedCert(profile, record, pin);

    // The same server and port: the trust stays, whatever else changed.
    settings::Settings edited = editedSettings();
    edited.user = "tora";
    edited.sslMode = 1;
    settings::saveSettings(profile, record, edited);
    EXPECT_EQ(fingerprint, record.trustedCert.fingerprint);

    for (int change = 0; change < 2; ++change) {
        settings::saveTrustedCert(profile, record, pin);
        settings::Settings moved = edited;
        if (change == 0) {
            moved.server = "pop.example.org";
        } else {
            moved.pop3Port = 1995;
        }
        settings::saveSettings(profile, record, moved);
        EXPECT_EQ("", record.trustedCert.fingerprint) << change;
        settings::loadSettings(profile, loaded);
        EXPECT_EQ("", loaded.trustedCert.fingerprint) << change;
        EXPECT_NE(std::string::npos, readBytes(path).find("\r\nTrustedCert=\r\n")) << change;
        settings::saveSettings(profile, record, edited);
    }
}

TEST_F(SettingsStoreTest, SavedSettingsLoadBack) {
    settings::Settings record;
    settings::Settings edited = editedSettings();
    edited.pass = "p@ss w=rd;\"'\x81\x40\xFF";
    edited.apop = false;
    settings::saveSettings(profile, record, edited);
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    expectSameDialogFields(edited, loaded);
}

// Every field at the longest the settings dialog takes, the password in double-byte characters: all come back.
TEST_F(SettingsStoreTest, LongestDialogValuesLoadBack) {
    std::string so;  // ソ is 83 5C in Shift_JIS
    while (so.size() + 2 <= settings::kFieldLimit) {
        so += "ソ";
    }
    settings::Settings record;
    settings::Settings edited = editedSettings();
    edited.server = std::string(settings::kFieldLimit, 's');
    edited.user = std::string(settings::kFieldLimit, 'u');
    edited.pass = std::string(settings::kPasswordLimit, '\xFF');
    edited.playSound = "C:\\" + so;
    edited.exeMail = std::string(settings::kFieldLimit - 4, 'm') + ".exe";
    settings::saveSettings(profile, record, edited);
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    expectSameDialogFields(edited, loaded);
}

TEST_F(SettingsStoreTest, NumbersOutsideWhatTheProgramCanUseAreSettled) {
    struct Case {
        const char* key;
        const char* stored;
        int expected;
    };
    const std::vector<Case> cases = {
        {"TimerMin", "0", 1},          {"TimerMin", "-5", 1},      {"TimerMin", "71583", 35791},
        {"TimerMin", "35791", 35791},  {"POP3_PORT", "0", 110},    {"POP3_PORT", "65536", 110},
        {"POP3_PORT", "65535", 65535}, {"POP3_PORT", "-110", 110}, {"HeadCount", "-3", 0},
        {"HeadCount", "100000", 9999}, {"TimeoutSec", "0", 1},     {"TimeoutSec", "5000", 3600},
        {"TimeoutSec", "", 60},        {"TimeoutSec", "15", 15},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        settings::ProfileValue caseProfile(dir.file("numbers" + std::to_string(i) + ".ini"));
        writeBytes(caseProfile.path, std::string("[SETTING]\r\n") + c.key + "=" + c.stored + "\r\n");
        settings::Settings settings;
        settings::loadSettings(caseProfile, settings);
        const std::string key = c.key;
        int actual = key == "TimerMin"    ? settings.timerMin
                     : key == "POP3_PORT" ? settings.pop3Port
                     : key == "HeadCount" ? settings.headCount
                                          : settings.timeoutSec;
        EXPECT_EQ(c.expected, actual) << c.key << "=" << c.stored;
    }
    // The longest interval still fits the timer's period.
    EXPECT_LE(settings::limits::timerPeriodMs(35791), settings::limits::kLongestTimerMs);
    EXPECT_EQ(60000u, settings::limits::timerPeriodMs(0));
    EXPECT_EQ(180000u, settings::limits::timerPeriodMs(3));
}

TEST_F(SettingsStoreTest, EmptyPasswordIsStoredAsEmptyPass) {
    settings::Settings record;
    settings::Settings edited = editedSettings();
    edited.pass = "";
    settings::saveSettings(profile, record, edited);
    EXPECT_NE(std::string::npos, readBytes(path).find("\r\nPASS=\r\n"));
    settings::Settings loaded;
    loaded.pass = "left over";
    settings::loadSettings(profile, loaded);
    EXPECT_EQ("", loaded.pass);
}

TEST_F(SettingsStoreTest, WindowStateIsWrittenAndReadBack) {
    settings::saveWindowState(profile, 991, -5, true);
    EXPECT_EQ("[SETTING]\r\nX=991\r\nY=-5\r\nInTaskTray=1\r\n", readBytes(path));
    settings::saveWindowState(profile, 0, 40, false);
    EXPECT_EQ("[SETTING]\r\nX=0\r\nY=40\r\nInTaskTray=0\r\n", readBytes(path));
    settings::WindowPosition position = settings::readWindowPosition(profile);
    EXPECT_EQ(0, position.x);
    EXPECT_EQ(40, position.y);
    settings::Settings settings;
    settings.inTaskTray = true;
    settings::loadSettings(profile, settings);
    EXPECT_FALSE(settings.inTaskTray);
}

TEST_F(SettingsStoreTest, TheProgramsFileLivesInTheCurrentDirectory) {
    CurrentDirectory here(dir.path());
    settings::ProfileValue programs(settings::kSettingsFilePath);
    settings::Settings record;
    settings::saveSettings(programs, record, editedSettings());
    settings::Settings loaded;
    settings::loadSettings(programs, loaded);
    expectSameDialogFields(editedSettings(), loaded);
    EXPECT_NE(std::string::npos, readBytes(path).find("SERVER=pop.example.jp\r\n"));
}

}  // namespace
