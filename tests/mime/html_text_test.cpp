#include "mime/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HtmlCase {
    const char* name;
    std::string html;
    std::string expected;  // Shift_JIS: the Japanese literals compile to code page 932
};

// A reference ends within nine characters of its '&': the longest name known and the longest numeric forms do,
// longer ones stay as written.
TEST(HtmlToText, ReadsReferencesUpToTheLongestThereIs) {
    const HtmlCase cases[] = {
        {"the longest name", "a&hellip;b", "a…b\n"},
        {"hexadecimal, the last code point", "a&#x10FFFF;b", "a〓b\n"},
        {"decimal, the last code point", "a&#1114111;b", "a〓b\n"},
        {"beyond the last code point", "a&#x110000;b", "a〓b\n"},
        {"leading zeros up to the length", "&#0000065;&#x00041;", "AA\n"},
        {"one zero too many", "&#00000065;", "&#00000065;\n"},
        {"no semicolon", "x&amp", "x&amp\n"},
        {"an unknown name", "&unknown;", "&unknown;\n"},
        {"a blank inside", "& amp;", "& amp;\n"},
        {"one after another", "&lt;&gt;&amp;&quot;", "<>&\"\n"},
        {"the capitals HTML5 knows", "&LT;&GT;&AMP;&QUOT;&COPY;", "<>&\"〓\n"},
        {"other names in capitals", "&Amp;&NBSP;&Lt;", "&Amp;&NBSP;&Lt;\n"},
        {"a reference right after one that is none", "x&amp&lt;", "x&amp<\n"},
        {"a semicolon far behind many ampersands", std::string(50, '&') + ";", std::string(50, '&') + ";\n"},
    };
    for (const HtmlCase& c : cases) {
        EXPECT_EQ(c.expected, mime::htmlToText(c.html)) << c.name;
    }
}

}  // namespace
