#include "base/ascii.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;

TEST(AsciiToLower, FoldsOnlyTheLettersAToZ) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const char expected = byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : c;
        EXPECT_EQ(base::toLower(c), expected) << byte;
    }
    EXPECT_EQ(base::toLower(L'Q'), L'q');
    EXPECT_EQ(base::toLower(L'\xFF31'), L'\xFF31') << "a full-width Q stays";
}

TEST(AsciiNoCase, EqualAndPrefixIgnoreOnlyAsciiCase) {
    const struct {
        std::string text, other;
        bool equal, prefix;
    } cases[] = {
        {"", "", true, true},
        {"abc", "", false, true},
        {"", "a", false, false},
        {"STLS", "stls", true, true},
        {"Content-Type: text/plain", "content-type:", false, true},
        {"UIDL", "UIDLX", false, false},
        {"mail.Example.JP", "MAIL.example.jp", true, true},
        {"@", "`", false, false},                // 0x40 and 0x60 differ by 32 but are no letters
        {"[", "{", false, false},                // 0x5B and 0x7B likewise
        {"\x83\x5C", "\x83\x7C", false, false},  // Shift_JIS bytes are never folded
        {"\xC3\x89", "\xC3\xA9", false, false},  // nor UTF-8 ones (É and é)
        {"a\0b"s, "A\0B"s, true, true},          // a zero byte is a byte like any other
        {"a\0b"s, "A"s, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::equalsNoCase(c.text, c.other), c.equal) << c.text << " | " << c.other;
        EXPECT_EQ(base::equalsNoCase(c.other, c.text), c.equal) << c.other << " | " << c.text;
        EXPECT_EQ(base::startsWithNoCase(c.text, c.other), c.prefix) << c.text << " | " << c.other;
    }
    EXPECT_TRUE(base::equalsNoCase(std::wstring_view(L"\"C:\\Q.EXE\" /Startup"), L"\"c:\\q.exe\" /startup"));
    EXPECT_FALSE(base::equalsNoCase(std::wstring_view(L"\xFF31"), L"\xFF51")) << "full-width letters stay apart";
}

TEST(AsciiTrim, TakesTheBlanksFromBothEndsOnly) {
    const struct {
        std::string text, blanks, expected;
    } cases[] = {
        {"", " \t\r\n", ""},
        {" \t\r\n", " \t\r\n", ""},
        {"  a b  ", " \t\r\n", "a b"},
        {"\r\nvalue\r\n", " \t\r\n", "value"},
        {"x", " \t\r\n", "x"},
        {"\x1A key \v", " \t\v\f\x1A", "key"},
        {"\x81\x40", " \t\r\n", "\x81\x40"},  // a full-width blank is text, not a blank
        {" a\0 "s, " ", "a\0"s},
        {" a ", "", " a "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::trim(c.text, c.blanks), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(base::trim(" \tdefault blanks\r\n"), "default blanks");
    EXPECT_EQ(base::trim(std::wstring_view(L" \"C:\\q.exe\" /startup\r\n")), L"\"C:\\q.exe\" /startup");
}

TEST(AsciiFitsOneLine, RefusesEveryLineEndAndZeroByte) {
    const struct {
        std::string text;
        bool fits;
    } cases[] = {
        {"", true},
        {"neko", true},
        {"tab\tand space", true},
        {"\x83\x5C\x95\x5C", true},  // Shift_JIS with 0x5C trail bytes
        {"secret\r\nDELE 1\r\nQUIT", false},
        {"a\nb", false},
        {"a\rb", false},
        {"a\0DELE 1"s, false},
        {"\0"s, false},
        {"end\r", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base::fitsOneLine(c.text), c.fits) << c.text;
    }
}

}  // namespace
