#pragma once

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace settings_test {

// Compares the values that the settings dialog edits and saveSettings writes.
inline void expectSameDialogFields(const settings::Settings& expected, const settings::Settings& actual) {
    EXPECT_EQ(expected.server, actual.server);
    EXPECT_EQ(expected.user, actual.user);
    EXPECT_EQ(expected.pass, actual.pass);
    EXPECT_EQ(expected.pop3Port, actual.pop3Port);
    EXPECT_EQ(expected.timerMin, actual.timerMin);
    EXPECT_EQ(expected.headCount, actual.headCount);
    EXPECT_EQ(expected.playSound, actual.playSound);
    EXPECT_EQ(expected.exeMail, actual.exeMail);
    EXPECT_EQ(expected.apop, actual.apop);
    EXPECT_EQ(expected.timeoutSec, actual.timeoutSec);
    EXPECT_EQ(expected.sslMode, actual.sslMode);
    EXPECT_EQ(expected.newMailSoundOnly, actual.newMailSoundOnly);
    EXPECT_EQ(expected.showCount, actual.showCount);
    EXPECT_EQ(expected.notify, actual.notify);
}

}  // namespace settings_test
