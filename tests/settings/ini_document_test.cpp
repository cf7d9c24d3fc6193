#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <vector>

// Our own INI text model. Besides what the shared INI file cases check, it keeps every line it does not change
// byte for byte (as Windows does; Wine instead rewrites the whole file in its own layout).

namespace {

TEST(IniDocument, SettingAKeyChangesOnlyItsOwnLine) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        std::string after;
    };
    const std::vector<Case> cases = {
        {"empty text", "", "SETTING", "K", "[SETTING]\r\nK=v\r\n"},
        {"LF file stays LF", "[SETTING]\nA=1\n\n[Other]\nB=2\n", "SETTING", "K",
         "[SETTING]\nA=1\nK=v\n\n[Other]\nB=2\n"},
        {"CR file stays CR", "[SETTING]\rA=1\r", "SETTING", "K", "[SETTING]\rA=1\rK=v\r"},
        {"last line gets an end", "[SETTING]\nA=1", "SETTING", "K", "[SETTING]\nA=1\nK=v\n"},
        {"new section at the end", "[Other]\r\nB=2", "SETTING", "K", "[Other]\r\nB=2\r\n[SETTING]\r\nK=v\r\n"},
        {"blanks elsewhere kept", "[SETTING]\r\n  A = 1 \r\n; note\r\n k = old \r\n\r\n", "SETTING", "K",
         "[SETTING]\r\n  A = 1 \r\n; note\r\nk=v\r\n\r\n"},
        {"bare key gets its value", "[SETTING]\r\nK\r\nA=1\r\n", "setting", "k", "[SETTING]\r\nK=v\r\nA=1\r\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[SETTING]\r\nA=1\r\n", "SETTING", "K",
         "\xEF\xBB\xBF[SETTING]\r\nA=1\r\nK=v\r\n"},
        {"entries before any section are no part of it", "K=0\r\n[SETTING]\r\n", "SETTING", "K",
         "K=0\r\n[SETTING]\r\nK=v\r\n"},
        {"text after the header is ignored", "[SETTING] ; main\r\n[Other\r\nK=1\r\n", "SETTING", "K",
         "[SETTING] ; main\r\n[Other\r\nK=v\r\n"},
    };
    for (const Case& c : cases) {
        settings::IniDocument document(c.before);
        document.set(c.section, c.key, "v");
        EXPECT_EQ(c.after, document.text()) << c.name;
        EXPECT_EQ("v", settings::IniDocument(document.text()).value(c.section, c.key)) << c.name;
    }
}

TEST(IniDocument, UnchangedTextIsReproducedExactly) {
    const std::string text = "\xEF\xBB\xBF; hand made\n[A]\r\n x = 1 \r\r\n\n[B]\ry=2";
    EXPECT_EQ(text, settings::IniDocument(text).text());
}

TEST(IniDocument, ByteOrderMarkIsNotPartOfTheFirstHeader) {
    EXPECT_EQ("1", settings::IniDocument("\xEF\xBB\xBF[SETTING]\r\nA=1\r\n").value("SETTING", "A"));
}

}  // namespace
