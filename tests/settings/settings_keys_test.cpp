#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "tests/settings/temp_dir.h"

// Every key of the table, read absent, valid and out of range, and written back byte for byte. Runs against both
// INI implementations.

namespace {

using settings::Key;
using settings_test::readBytes;
using settings_test::TempDir;
using settings_test::writeBytes;

const std::string kPin = std::string(64, 'f') + "@pop.example.jp:995";

struct Row {
    const char* key;
    const char* valid;  // as stored, in the form the program writes it
    std::string validRead;
    const char* odd;  // a value the program cannot use as it stands; null: every value is usable
    std::string oddRead;
};

// Values as text: numbers in decimal, switches as 1 or 0, a pin in its stored form (empty: no pin).
std::string shown(const settings::Settings& record, const Key& key) {
    return std::visit(
        [&](const auto& field) {
            const auto& value = record.*field.record;
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return value;
            } else if constexpr (std::is_same_v<T, settings::TrustedCertificate>) {
                return value.fingerprint.empty()
                           ? std::string()
                           : value.fingerprint + '@' + value.server + ':' + std::to_string(value.port);
            } else {
                return std::to_string(static_cast<int>(value));
            }
        },
        key.field);
}

const Row kRows[] = {
    {"SERVER", "pop.example.jp", "pop.example.jp", " pop.example.jp ", "pop.example.jp"},
    {"USER", "neko", "neko", "\"neko\"", "neko"},
    {"PASS", "NSGSISMS", "neko", nullptr, ""},
    {"POP3_PORT", "995", "995", "65536", "110"},
    {"TimerMin", "5", "5", "0", "1"},
    {"HeadCount", "7", "7", "-3", "0"},
    {"PlaySound", "C:\\ソ.wav", "C:\\ソ.wav", nullptr, ""},
    {"InTaskTray", "1", "1", "2", "0"},
    {"ExeMail", "C:\\mail.exe", "C:\\mail.exe", nullptr, ""},
    {"APOP", "1", "1", "yes", "0"},
    {"TimeoutSec", "30", "30", "5000", "3600"},
    {"SSL", "2", "2", "3", "-1"},
    {"TrustedCert", kPin.c_str(), kPin, "ab@pop.example.jp:0", ""},
    {"NewMailSoundOnly", "1", "1", "2", "0"},
    {"ShowCount", "1", "1", "yes", "0"},
    {"Notify", "1", "1", "-1", "0"},
    {"Name", "しごと", "しごと", nullptr, ""},
    {"Enabled", "0", "0", "yes", "0"},
    {"Auth", "scram-sha-256", "scram-sha-256", nullptr, ""},
    {"PassProtected", nullptr, "", nullptr, ""},  // protected secrets: see protected_settings_test.cpp
    {"OAuthProvider", "google", "google", nullptr, ""},
    {"OAuthClientId", "1234.apps.example", "1234.apps.example", nullptr, ""},
    {"OAuthClientSecret", "throwaway-secret", "throwaway-secret", nullptr, ""},
    {"OAuthAuthorizeUrl", "https://auth.example/authorize", "https://auth.example/authorize", nullptr, ""},
    {"OAuthTokenUrl", "https://auth.example/token", "https://auth.example/token", nullptr, ""},
    {"OAuthScope", "pop offline_access", "pop offline_access", nullptr, ""},
    {"OAuthRefreshToken", nullptr, "", nullptr, ""},
};

TEST(SettingsKeysTest, EveryKeyReadsAbsentValidAndOddValuesAndWritesBackByteForByte) {
    TempDir dir;
    std::string all = "[SETTING]\r\n";
    std::string saved = all;
    int files = 0;
    for (const Key& key : settings::kKeys) {
        const Row* row = nullptr;
        for (const Row& candidate : kRows) {
            row = candidate.key == std::string(key.name) ? &candidate : row;
        }
        ASSERT_NE(nullptr, row) << key.name << " has no row";
        SCOPED_TRACE(key.name);
        const auto load = [&](const char* stored) {
            settings::ProfileValue profile(dir.file(std::to_string(files++) + ".ini"));
            writeBytes(profile.path, stored ? std::string("[SETTING]\r\n") + key.name + '=' + stored + "\r\n" : "");
            settings::Settings loaded;
            settings::loadSettings(profile, loaded);
            return shown(loaded, key);
        };
        EXPECT_EQ(shown(settings::Settings{}, key), load(nullptr));
        if (row->valid == nullptr) {
            continue;
        }
        if (std::holds_alternative<settings::Field<int>>(key.field)) {
            EXPECT_EQ(std::to_string(key.range.fallback), load(nullptr));
        }
        EXPECT_EQ(row->validRead, load(row->valid));
        if (row->odd != nullptr) {
            EXPECT_EQ(row->oddRead, load(row->odd));
        }
    }
    // The rows are in the order the program has always written the keys.
    for (const Row& row : kRows) {
        if (row.valid == nullptr) {
            continue;
        }
        all += std::string(row.key) + '=' + row.valid + "\r\n";
        if (settings::editedInDialog(settings::keyNamed(row.key))) {
            saved += std::string(row.key) + '=' + row.valid + "\r\n";
        }
    }

    // Saved over itself the file stays as it was; saved into an empty file only the dialog's keys are written,
    // in the table's order, and the pin is added by itself.
    settings::ProfileValue profile(dir.file("all.ini"));
    writeBytes(profile.path, all);
    settings::Settings loaded;
    settings::loadSettings(profile, loaded);
    settings::Settings record = loaded;
    settings::saveSettings(profile, record, loaded);
    EXPECT_EQ(all, readBytes(profile.path));
    settings::ProfileValue fresh(dir.file("fresh.ini"));
    settings::Settings empty;
    settings::saveSettings(fresh, empty, loaded);
    EXPECT_EQ(saved, readBytes(fresh.path));
    settings::saveTrustedCert(fresh, empty, loaded.trustedCert);
    EXPECT_EQ(saved + "TrustedCert=" + kPin + "\r\n", readBytes(fresh.path));
}

// A check gets every field the table gives it; a head count below 1 becomes the default in the record as well.
TEST(SettingsKeysTest, ACheckTakesItsFieldsAndAUsableHeadCount) {
    const struct {
        int stored;
        int used;
    } cases[] = {{-5, 2}, {0, 2}, {1, 1}, {2, 2}, {9999, 9999}};
    for (const auto& c : cases) {
        settings::Settings record;
        record.server = "pop.example.jp";
        record.user = "neko";
        record.pass = "throwaway";
        record.pop3Port = 995;
        record.apop = true;
        record.timeoutSec = 30;
        record.sslMode = 2;
        record.trustedCert = {"ab", "pop.example.jp", 995};
        record.headCount = c.stored;
        const mail::CheckSettings check = settings::takeCheckSettings(record);
        EXPECT_EQ(c.used, record.headCount) << c.stored;
        settings::Settings fromCheck;
        for (const Key& key : settings::kKeys) {
            std::visit(
                [&](const auto& field) {
                    if (field.check != nullptr) {
                        fromCheck.*field.record = check.*field.check;
                        EXPECT_EQ(shown(record, key), shown(fromCheck, key)) << key.name;
                    }
                },
                key.field);
        }
    }
}

}  // namespace
