#include <gtest/gtest.h>

#include <string>

#include "settings/protected_secret.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "tests/settings/temp_dir.h"

// The password and the refresh token in their protected keys: never readable in the file where the system can
// protect them, readable as before where it cannot, and a blob from another user or computer kept as it is.
namespace {

using settings_test::readBytes;
using settings_test::TempDir;
using settings_test::writeBytes;

// The value of the first line "<key>=..." of the file; "(none)" when there is no such line.
std::string valueOf(const std::string& file, const std::string& key) {
    const std::size_t at = file.find("\n" + key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::size_t start = at + key.size() + 2;
    return file.substr(start, file.find('\r', start) - start);
}

TEST(ProtectedSettings, SecretsAreStoredProtectedAndReadBack) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("protected.ini"));
    writeBytes(profile.path, "");
    settings::Settings edited;
    edited.server = "pop.example.jp";
    edited.user = "neko";
    edited.pass = "throwaway-pass-1";
    edited.protectPass = true;
    edited.auth = "oauth2";
    edited.refreshToken = "rt-throwaway-2";
    edited.signedInHere = true;
    edited.moreMailboxes.push_back(edited);
    settings::Settings record;
    settings::saveSettings(profile, record, edited);
    const std::string file = readBytes(profile.path);
    const bool protectedHere = settings::secretProtectionAvailable();
    for (const char* secret : {"throwaway-pass-1", "rt-throwaway-2"}) {
        EXPECT_EQ(file.find(secret), std::string::npos) << secret;
    }
    EXPECT_EQ(valueOf(file, "PassProtected").empty(), !protectedHere);
    EXPECT_EQ(valueOf(file, "PASS").empty(), protectedHere);
    EXPECT_EQ(valueOf(file, "OAuthRefreshToken").empty(), !protectedHere);

    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    ASSERT_EQ(settings::mailboxCount(loaded), 2);
    for (int index = 0; index < 2; ++index) {
        const settings::Settings& mailbox = settings::mailboxAt(loaded, index);
        EXPECT_EQ(mailbox.pass, "throwaway-pass-1");
        EXPECT_EQ(mailbox.protectPass, protectedHere);
        EXPECT_EQ(mailbox.refreshToken, protectedHere ? "rt-throwaway-2" : "");
    }

    // A renewed refresh token replaces the old one in place.
    settings::saveRefreshToken(profile, loaded, 1, "rt-throwaway-3");
    settings::Settings again;
    settings::loadSettings(profile, again);
    EXPECT_EQ(settings::mailboxAt(again, 1).refreshToken, protectedHere ? "rt-throwaway-3" : "");
    EXPECT_EQ(readBytes(profile.path).find("rt-throwaway-3"), std::string::npos);
}

TEST(ProtectedSettings, ABlobThatCannotBeOpenedIsReportedAndKeptUntilANewPasswordIsTyped) {
    TempDir dir;
    settings::ProfileValue profile(dir.file("foreign.ini"));
    const std::string foreign =
        "[SETTING]\r\nSERVER=pop.example.jp\r\nUSER=neko\r\nPASS=\r\nPassProtected=QUJD\r\nOAuthRefreshToken=QUJD\r\n";
    writeBytes(profile.path, foreign);
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    EXPECT_TRUE(loaded.pass.empty());
    EXPECT_TRUE(loaded.protectedPassUnreadable);
    EXPECT_TRUE(loaded.refreshTokenUnreadable);
    EXPECT_TRUE(loaded.refreshToken.empty());

    settings::Settings record = loaded;
    settings::saveSettings(profile, record, loaded);
    const std::string saved = readBytes(profile.path);
    for (const char* key : {"PASS", "PassProtected", "OAuthRefreshToken"}) {
        EXPECT_EQ(valueOf(saved, key), valueOf(foreign, key)) << key;
    }

    settings::Settings typed = loaded;
    typed.pass = "throwaway-new";
    typed.protectPass = false;
    settings::saveSettings(profile, record, typed);
    settings::Settings reloaded;
    settings::loadSettings(profile, reloaded);
    EXPECT_EQ(reloaded.pass, "throwaway-new");
    EXPECT_FALSE(reloaded.protectedPassUnreadable);
}

}  // namespace
