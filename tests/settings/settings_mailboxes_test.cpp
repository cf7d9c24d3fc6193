#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/protected_secret.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "tests/settings/temp_dir.h"

// Several mailboxes in one file: [SETTING] is the first, [Account2] onwards the others. Runs against both INI
// implementations.

namespace {

using settings_test::readBytes;
using settings_test::TempDir;
using settings_test::writeBytes;

// One line per mailbox: "name|server|user|port|enabled|checkable|sound".
std::vector<std::string> described(const settings::Settings& record) {
    std::vector<std::string> lines;
    for (int k = 0; k < settings::mailboxCount(record); ++k) {
        const settings::Settings& box = settings::mailboxAt(record, k);
        lines.push_back(settings::mailboxName(box) + '|' + box.server + '|' + box.user + '|' +
                        std::to_string(box.pop3Port) + '|' + (box.enabled ? "on" : "off") + '|' +
                        (settings::checkable(box) ? "check" : "skip") + '|' + settings::soundFor(record, box));
    }
    return lines;
}

struct FileCase {
    const char* what;
    std::string file;
    std::vector<std::string> mailboxes;
};

const std::string kFirst = "[SETTING]\r\nSERVER=pop.example.jp\r\nUSER=neko\r\nPlaySound=nyaa.wav\r\n";

const FileCase kFiles[] = {
    {"one mailbox as always", kFirst, {"neko@pop.example.jp|pop.example.jp|neko|110|on|check|nyaa.wav"}},
    {"a named second mailbox with its own sound and port",
     kFirst + "[Account2]\r\nSERVER=mail.example.com\r\nUSER=tama\r\nPOP3_PORT=995\r\nName=しごと\r\n"
              "PlaySound=work.wav\r\n",
     {"neko@pop.example.jp|pop.example.jp|neko|110|on|check|nyaa.wav",
      "しごと|mail.example.com|tama|995|on|check|work.wav"}},
    {"disabled only by exactly 0 or anything but 1",
     kFirst + "[Account2]\r\nSERVER=a\r\nUSER=b\r\nEnabled=0\r\n[Account3]\r\nSERVER=c\r\nUSER=d\r\nEnabled=yes\r\n"
              "[Account4]\r\nSERVER=e\r\nUSER=f\r\nEnabled=\r\n",
     {"neko@pop.example.jp|pop.example.jp|neko|110|on|check|nyaa.wav", "b@a|a|b|110|off|skip|nyaa.wav",
      "d@c|c|d|110|off|skip|nyaa.wav", "f@e|e|f|110|on|check|nyaa.wav"}},
    {"a missing server or user is shown but not checked",
     kFirst + "[Account2]\r\nUSER=b\r\n[Account3]\r\nSERVER=c\r\n",
     {"neko@pop.example.jp|pop.example.jp|neko|110|on|check|nyaa.wav", "b@||b|110|on|skip|nyaa.wav",
      "@c|c||110|on|skip|nyaa.wav"}},
    {"a hole, a duplicate, numbers past 16 and other names are passed over",
     kFirst + "[Account3]\r\nSERVER=three\r\nUSER=u\r\n[Account17]\r\nSERVER=x\r\nUSER=x\r\n[Account3]\r\n"
              "SERVER=again\r\nUSER=u\r\n[account16]\r\nSERVER=last\r\nUSER=u\r\n[Account02]\r\nSERVER=y\r\nUSER=y\r\n"
              "[Account1]\r\nSERVER=z\r\nUSER=z\r\n",
     {"neko@pop.example.jp|pop.example.jp|neko|110|on|check|nyaa.wav", "u@three|three|u|110|on|check|nyaa.wav",
      "u@last|last|u|110|on|check|nyaa.wav"}},
};

TEST(SettingsMailboxesTest, FilesReadAsTheirMailboxes) {
    TempDir dir;
    int files = 0;
    for (const FileCase& row : kFiles) {
        SCOPED_TRACE(row.what);
        settings::ProfileValue profile(dir.file(std::to_string(files++) + ".ini"));
        writeBytes(profile.path, row.file);
        settings::Settings loaded;
        loaded.moreMailboxes.resize(3);  // what was there before goes
        settings::loadSettings(profile, loaded);
        EXPECT_EQ(row.mailboxes, described(loaded));
        // Saved as read, the mailboxes stay the same, numbered without holes.
        settings::Settings record = loaded;
        settings::saveSettings(profile, record, loaded);
        settings::Settings again;
        settings::loadSettings(profile, again);
        EXPECT_EQ(row.mailboxes, described(again));
    }
}

TEST(SettingsMailboxesTest, AOneMailboxFileStaysByteForByte) {
    TempDir dir;
    const std::string seed =
        "[SETTING]\r\nSERVER=127.0.0.1\r\nUSER=neko\r\nPASS=NSGSISMS\r\nPOP3_PORT=1110\r\nTimerMin=5\r\n"
        "HeadCount=2\r\nPlaySound=\r\nInTaskTray=0\r\nExeMail=\r\nAPOP=0\r\nTimeoutSec=60\r\nSSL=0\r\nX=300\r\n"
        "Y=300\r\n";
    settings::ProfileValue profile(dir.file("Quorvane.ini"));
    writeBytes(profile.path, seed);
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    settings::Settings record = loaded;
    settings::saveSettings(profile, record, loaded);
    EXPECT_EQ(seed, readBytes(profile.path));
}

// Deleting a mailbox in the dialog renumbers the ones after it: their sections move down, the last one goes,
// and nothing of a deleted mailbox stays in the section that now holds another.
TEST(SettingsMailboxesTest, DeletingAMailboxRenumbersTheSections) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("Quorvane.ini"));
    writeBytes(profile.path, kFirst +
                                 "[Account2]\r\nSERVER=two\r\nUSER=u\r\nName=ふたつ\r\n"
                                 "[Account3]\r\nSERVER=three\r\nUSER=u\r\nPASS=NSGSISMS\r\nEnabled=0\r\n"
                                 "TrustedCert=" +
                                 std::string(64, 'a') +
                                 "@three:110\r\n"
                                 "[Account4]\r\nSERVER=four\r\nUSER=u\r\nHeadCount=7\r\n[Other]\r\nKept=1\r\n");
    settings::Settings record;
    settings::loadSettings(profile, record);
    ASSERT_EQ(4, settings::mailboxCount(record));
    EXPECT_EQ(std::string(64, 'a'), record.moreMailboxes[1].trustedCert.fingerprint);
    EXPECT_EQ("neko", record.moreMailboxes[1].pass);

    for (int round = 0; round < 2; ++round) {  // the second mailbox, then the one that became the second
        settings::Settings edited = record;
        edited.moreMailboxes.erase(edited.moreMailboxes.begin());
        settings::saveSettings(profile, record, edited);
    }
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    ASSERT_EQ(2, settings::mailboxCount(loaded));
    const settings::Settings& left = loaded.moreMailboxes[0];
    EXPECT_EQ("four", left.server);
    EXPECT_EQ("", left.name);
    EXPECT_EQ("", left.pass);
    EXPECT_TRUE(left.enabled);
    EXPECT_EQ(7, left.headCount);
    EXPECT_EQ("", left.trustedCert.fingerprint);
    const std::string text = readBytes(profile.path);
    EXPECT_EQ(std::string::npos, text.find("[Account3]"));
    EXPECT_EQ(std::string::npos, text.find("three"));
    EXPECT_NE(std::string::npos, text.find("[Other]\r\nKept=1\r\n"));
}

// The trust given at one mailbox's check is that mailbox's alone.
TEST(SettingsMailboxesTest, EachMailboxKeepsItsOwnPin) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("Quorvane.ini"));
    writeBytes(profile.path, kFirst + "[Account2]\r\nSERVER=pop.example.jp\r\nUSER=tama\r\n");
    settings::Settings record;
    settings::loadSettings(profile, record);
    const settings::TrustedCertificate pin{std::string(64, 'b'), "pop.example.jp", 110};
    settings::saveTrustedCert(profile, record, pin, 1);
    settings::saveTrustedCert(profile, record, pin, 5);  // no such mailbox: nothing happens
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    EXPECT_EQ("", loaded.trustedCert.fingerprint);
    ASSERT_EQ(2, settings::mailboxCount(loaded));
    EXPECT_EQ(pin.fingerprint, loaded.moreMailboxes[0].trustedCert.fingerprint);
    EXPECT_EQ(110, loaded.moreMailboxes[0].trustedCert.port);
    EXPECT_EQ(pin.fingerprint, record.moreMailboxes[0].trustedCert.fingerprint);
}

// Seventeen mailboxes from the dialog: the file keeps sixteen.
TEST(SettingsMailboxesTest, NoMoreThanSixteenMailboxesAreWritten) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("Quorvane.ini"));
    settings::Settings edited;
    edited.server = "one";
    edited.user = "u";
    for (int k = 2; k <= 17; ++k) {
        settings::Settings box;
        box.server = "s" + std::to_string(k);
        box.user = "u";
        edited.moreMailboxes.push_back(box);
    }
    settings::Settings record;
    settings::saveSettings(profile, record, edited);
    EXPECT_EQ(settings::kMaxMailboxes, settings::mailboxCount(record));
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    EXPECT_EQ(described(record), described(loaded));
    EXPECT_EQ("s16", loaded.moreMailboxes.back().server);
}

}  // namespace

namespace {

// Deleting the first mailbox moves the second into [SETTING] with its sign-in; nothing of the deleted one's stays.
TEST(SettingsMailboxesTest, TheMailboxMovedIntoTheFirstPlaceKeepsItsSignIn) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("Quorvane.ini"));
    writeBytes(profile.path, "[SETTING]\r\nSERVER=one\r\nUSER=u\r\n[Account2]\r\nSERVER=two\r\nUSER=u\r\n");
    settings::Settings record;
    settings::loadSettings(profile, record);
    record.refreshToken = "rt-throwaway-gone";
    record.signedInHere = true;
    settings::saveSettings(profile, record, record);
    record.moreMailboxes[0].refreshToken = "rt-throwaway-moved";
    settings::Settings edited = record;  // as the dialog gives it after deleting the first mailbox
    settings::copyMailboxValues(record.moreMailboxes[0], edited);
    edited.refreshToken.clear();
    edited.moreMailboxes.clear();
    settings::saveSettings(profile, record, edited);

    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    ASSERT_EQ(1, settings::mailboxCount(loaded));
    EXPECT_EQ("two", loaded.server);
    EXPECT_EQ("rt-throwaway-moved", record.refreshToken);
    EXPECT_EQ(settings::secretProtectionAvailable() ? "rt-throwaway-moved" : "", loaded.refreshToken);
}

}  // namespace
