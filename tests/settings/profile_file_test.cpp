#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/profile_file.h"
#include "settings/profile_value.h"
#include "tests/settings/temp_dir.h"

// How the settings file reads and writes. The same cases run natively against our own INI reader and writer and,
// in the Windows build under Wine, against the platform's private-profile functions: both must pass all of them.

namespace {

using settings_test::CurrentDirectory;
using settings_test::readBytes;
using settings_test::TempDir;
using settings_test::writeBytes;

class IniFileTest : public ::testing::Test {
protected:
    std::string read(const std::string& section, const std::string& key) {
        profile.section = section;
        return profile.setKey(key).readString();
    }
    int readInt(const std::string& section, const std::string& key, int defaultValue) {
        profile.section = section;
        return profile.setKey(key).readInt(defaultValue);
    }
    void write(const std::string& section, const std::string& key, const std::string& value) {
        profile.section = section;
        profile.setKey(key).writeString(value);
    }

    TempDir dir;
    std::string path = dir.file("Quorvane.ini");
    settings::ProfileValue profile{path};
};

TEST_F(IniFileTest, MissingFileReadsAsDefaultsAndIsNotCreated) {
    EXPECT_EQ("SETTING", profile.section);
    EXPECT_EQ("key", profile.key);
    profile.value = "stale";
    EXPECT_EQ("", profile.setKey("SERVER").readString());
    EXPECT_EQ("", profile.value);
    EXPECT_EQ(100, profile.setKey("X").readInt(100));
    EXPECT_EQ(-7, profile.readInt(-7));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileTest, MissingSectionOrKeyReadsAsDefault) {
    writeBytes(path, "[Other]\r\nSERVER=elsewhere\r\nX=5\r\n[SETTING]\r\nUSER=neko\r\n");
    EXPECT_EQ("", read("SETTING", "SERVER"));
    EXPECT_EQ(100, readInt("SETTING", "X", 100));
    EXPECT_EQ("", read("Missing", "USER"));
}

TEST_F(IniFileTest, ReadStringReturnsAtMostTheLongestValue) {
    const std::size_t most = settings::profile_file::kMaxStringBytes;
    std::string soOver, soFit, soFitAfterA;  // ソ is 83 5C in Shift_JIS
    for (std::size_t i = 0; i < most / 2 + 13; ++i) {
        soOver += "ソ";
        soFit += i < most / 2 ? "ソ" : "";
        soFitAfterA += i < (most - 1) / 2 ? "ソ" : "";
    }
    struct Case {
        std::string stored, expected;
    };
    const std::vector<Case> cases = {
        {std::string(most, 'a'), std::string(most, 'a')},
        {std::string(most + 1, 'b'), std::string(most, 'b')},
        {std::string(most + 45, 'c'), std::string(most, 'c')},
        {"\"" + std::string(most + 45, 'q') + "\"", std::string(most, 'q')},
        {"a" + soOver, "a" + soFitAfterA},  // the cut never splits a character
        {soOver, soFit},
    };
    std::string file = "[SETTING]\r\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        file += "K" + std::to_string(i) + "=" + cases[i].stored + "\r\n";
    }
    writeBytes(path, file);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        EXPECT_EQ(cases[i].expected, read("SETTING", "K" + std::to_string(i)));
        EXPECT_EQ(cases[i].expected, profile.value);
    }
}

TEST_F(IniFileTest, ReadIntTakesTheLeadingNumber) {
    struct Case {
        const char* stored;
        int expected;  // read with the default 77
    };
    const std::vector<Case> cases = {
        {"42", 42},
        {"-5", -5},
        {"12abc", 12},
        {"abc", 0},
        {"-", 0},
        {"", 77},  // empty: the default
        {"   ", 77},
        {"  8  ", 8},
        {"+7", 7},
        {"3.9", 3},
        {"010", 10},
        {"0x1F", 31},
        {"\"12\"", 12},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"4294967295", -1},
        {"99999999999", 1215752191},  // beyond 32 bits the number wraps around
    };
    std::string file = "[SETTING]\r\nBare\r\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        file += "N" + std::to_string(i) + "=" + cases[i].stored + "\r\n";
    }
    writeBytes(path, file);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].expected, readInt("SETTING", "N" + std::to_string(i), 77)) << '"' << cases[i].stored << '"';
    }
    EXPECT_EQ(77, readInt("SETTING", "Bare", 77));
    EXPECT_EQ(77, readInt("SETTING", "Missing", 77));
}

TEST_F(IniFileTest, EntriesAreReadLikeThePlatformReadsThem) {
    using namespace std::string_literals;
    writeBytes(path,
               "[SETTING]\r\n"
               "Zero=before\0after\r\n"  // the value is a C string
               "  Blanks  =  host name  \r\n"
               "Tabs\t=\tvalue\t\r\n"
               "Double=\"C:\\Program Files\\mail.exe\"\r\n"
               "Single='x'\r\n"
               "OpenQuote=\"open\r\n"
               "MixedQuotes=\"x'\r\n"
               "Inner=a \"b\" c\r\n"
               "Empty=\r\n"
               "Bare\r\n"
               "Equals=a=b\r\n"
               "Dup=first\r\n"
               "Dup=second\r\n"
               "mixedCase=lower\r\n"
               "[ Other ]\r\n"
               "Key=other\r\n"
               "[Odd]]\r\n"  // the name runs to the last ']'
               "Key=odd\r\n"
               "[ア]\r\n"  // 83 41: the second byte is no letter 'A'
               "Key=katakana\r\n"
               "[setting]\r\n"
               "Later=only the first section counts\r\n"s);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"SETTING", "Blanks", "host name"},
        {"SETTING", "Tabs", "value"},
        {"SETTING", "Double", "C:\\Program Files\\mail.exe"},
        {"SETTING", "Single", "x"},
        {"SETTING", "OpenQuote", "\"open"},
        {"SETTING", "MixedQuotes", "\"x'"},
        {"SETTING", "Inner", "a \"b\" c"},
        {"SETTING", "Empty", ""},
        {"SETTING", "Bare", ""},
        {"SETTING", "Equals", "a=b"},
        {"SETTING", "Dup", "first"},
        {"setting", "MIXEDCASE", "lower"},
        {"Other", "Key", "other"},
        {"OTHER", "key", "other"},
        {"Odd]", "Key", "odd"},
        {"ア", "Key", "katakana"},
        {"ヂ", "Key", ""},  // 83 61
        {"SETTING", "Zero", "before"},
        {"SETTING", "Later", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, read(c.section, c.key)) << c.section << " / " << c.key;
    }
}

TEST_F(IniFileTest, LinesMayEndInCrLfLfOrCr) {
    const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const std::string& e = ends[i];
        settings::ProfileValue lines(dir.file("ends" + std::to_string(i) + ".ini"));
        writeBytes(lines.path, "[SETTING]" + e + "SERVER=host" + e + "[Other]" + e + "USER=other" + e + "[SETTING]");
        SCOPED_TRACE(lines.path);
        EXPECT_EQ("host", lines.setKey("SERVER").readString());
        EXPECT_EQ("", lines.setKey("USER").readString());
        lines.section = "Other";
        EXPECT_EQ("other", lines.setKey("USER").readString());
    }
}

TEST_F(IniFileTest, FirstWritesCreateFileSectionAndKeys) {
    write("SETTING", "SERVER", "mail.example.com");
    EXPECT_EQ("[SETTING]\r\nSERVER=mail.example.com\r\n", readBytes(path));
    write("SETTING", "USER", "neko");
    write("Other", "A", "1");
    profile.section = "setting";
    profile.setKey("X").writeInt(-20);
    EXPECT_EQ("[SETTING]\r\nSERVER=mail.example.com\r\nUSER=neko\r\nX=-20\r\n[Other]\r\nA=1\r\n", readBytes(path));
}

TEST_F(IniFileTest, WritingAKeyKeepsEverythingElse) {
    writeBytes(path,
               "; written by hand\r\n"
               "[Other]\r\nSERVER=other\r\n"
               "[SETTING]\r\nX=5\r\nUnknown=keep me\r\nserver=old\r\nY=6\r\n"
               "[Last]\r\nZ=9\r\n");
    write("SETTING", "SERVER", "new");  // in place, keeping the file's spelling of the key
    write("SETTING", "PASS", "ABCD");   // a new key goes after the section's last entry
    EXPECT_EQ(
        "; written by hand\r\n"
        "[Other]\r\nSERVER=other\r\n"
        "[SETTING]\r\nX=5\r\nUnknown=keep me\r\nserver=new\r\nY=6\r\nPASS=ABCD\r\n"
        "[Last]\r\nZ=9\r\n",
        readBytes(path));
}

TEST_F(IniFileTest, HandEditedFileKeepsItsValuesAfterAWrite) {
    writeBytes(path,
               "[SETTING]\n"
               "; note by the user\n"
               "  TimerMin = 15 \n"
               "\n"
               "PlaySound=\"C:\\Sounds\\neko.wav\"\n"
               "SERVER=old\n"
               "\n"
               "[Other]\n"
               "A = 1\n");
    write("SETTING", "SERVER", "new");
    write("SETTING", "APOP", "1");
    EXPECT_EQ("new", read("SETTING", "SERVER"));
    EXPECT_EQ("1", read("SETTING", "APOP"));
    EXPECT_EQ(15, readInt("SETTING", "TimerMin", 60));
    EXPECT_EQ("C:\\Sounds\\neko.wav", read("SETTING", "PlaySound"));
    EXPECT_EQ("1", read("Other", "A"));
    EXPECT_NE(std::string::npos, readBytes(path).find("; note by the user"));
}

TEST_F(IniFileTest, ReadsBackWhatWasWritten) {
    const std::vector<std::string> values = {
        "mail.example.com", "", "a b", "a=b", "C:\\メール\\ソ表.wav", std::string(255, 'x'), "short",
    };
    for (const std::string& value : values) {
        write("SETTING", "Value", value);
        EXPECT_EQ(value, read("SETTING", "Value"));
    }
    for (int number : {0, 1, -1, 110, INT_MAX, INT_MIN}) {
        profile.setKey("Number").writeInt(number);
        EXPECT_EQ(number, profile.readInt(42));
    }
}

TEST_F(IniFileTest, RelativePathResolvesAgainstTheCurrentDirectory) {
    TempDir other;
    const std::filesystem::path start = std::filesystem::current_path();
    settings::ProfileValue relative("./Quorvane.ini");
    {
        CurrentDirectory here(dir.path());
        relative.setKey("SERVER").writeString("here");
    }
    {
        CurrentDirectory there(other.path());
        EXPECT_EQ("", relative.readString());
        relative.writeString("there");
    }
    {
        CurrentDirectory here(dir.path());
        EXPECT_EQ("here", relative.readString());
    }
    EXPECT_EQ(start, std::filesystem::current_path());
    EXPECT_EQ("[SETTING]\r\nSERVER=here\r\n", readBytes(path));
    EXPECT_EQ("[SETTING]\r\nSERVER=there\r\n", readBytes(other.file("Quorvane.ini")));
}

TEST_F(IniFileTest, UnwritableLocationIsIgnoredSilently) {
    settings::ProfileValue nowhere(dir.file("missing-folder") + "/Quorvane.ini");
    nowhere.setKey("SERVER").writeString("lost");
    EXPECT_EQ("", nowhere.readString());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing-folder"));
}

}  // namespace
