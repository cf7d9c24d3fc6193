#include "app/mail_sound.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MailSound, NewMailSoundOnlyWaitsForANewEntry) {
    const struct {
        const char* sound;
        bool onlyNew;
        std::vector<bool> entriesNew;
        bool plays;
    } cases[] = {
        {"nyan.wav", false, {false, false}, true},
        {"nyan.wav", false, {true}, true},
        {"nyan.wav", true, {false, false}, false},
        {"nyan.wav", true, {false, true}, true},
        {"nyan.wav", true, {}, false},
        {"", false, {true}, false},
        {"", true, {true}, false},
    };
    for (const auto& c : cases) {
        settings::Settings settings;
        settings.playSound = c.sound;
        settings.newMailSoundOnly = c.onlyNew;
        mail::MailEntryList list;
        for (bool isNew : c.entriesNew) {
            list.emplace_back();
            list.back().isNew = isNew;
        }
        EXPECT_EQ(app::playsMailSound(settings, list), c.plays)
            << c.sound << ", only new " << c.onlyNew << ", " << ::testing::PrintToString(c.entriesNew);
    }
}

}  // namespace
