#include <gtest/gtest.h>

#include <string>

#include "tests/text/jis_pair_rule.h"
#include "text/charset_names.h"
#include "text/jis_to_sjis.h"
#include "text/to_shift_jis.h"

// Expected texts are written as source literals, which the compiler turns into code page 932 on its own (through
// iconv): an oracle independent of the tables under test. Inputs are spelled as bytes or as u8 literals.
namespace {

using text::Charset;

struct ConversionCase {
    const char* name;
    Charset charset;
    std::string input;
    std::string expected;
};

#define U8(literal) std::string(reinterpret_cast<const char*>(u8##literal))

TEST(ToShiftJis, ConvertsEachCharset) {
    const ConversionCase cases[] = {
        {"UTF-8 Japanese", Charset::Utf8, U8("会議の資料です。ｶﾅ"), "会議の資料です。ｶﾅ"},
        {"UTF-8 NEC and IBM extensions", Charset::Utf8, U8("①㈱Ⅹ纊髙"), "①㈱Ⅹ纊髙"},
        {"UTF-8 Greek, Cyrillic, symbols", Charset::Utf8, U8("αΩ Жя “×÷°§”"), "αΩ Жя “×÷°§”"},
        {"UTF-8 emoji and letters CP932 lacks", Charset::Utf8, U8("猫🐱é€"), "猫〓〓〓"},
        // Written as CP932's full-width look-alikes, whose codes these share.
        {"UTF-8 marks read at their JIS place", Charset::Utf8, U8("3月〜5月 — ‖−¢£¬"), "3月～5月 ― ∥－￠￡￢"},
        {"UTF-8 byte order mark dropped", Charset::Utf8, U8("\uFEFFabc"), "abc"},
        {"UTF-8 malformed bytes", Charset::Utf8,
         "a\xFF"
         "b\xC0\xAF"
         "c\xED\xA0\x80"
         "d\xE0\x82\xA7"  // "§" spelled overlong
         "e",
         "a〓b〓〓c〓〓〓d〓〓〓e"},
        {"UTF-8 sequence cut off at the end", Charset::Utf8, "ab\xE4\xBC", "ab"},
        {"UTF-8 lead byte without its continuation", Charset::Utf8,
         "\xE4"
         "a",
         "〓a"},
        {"ISO-2022-JP", Charset::Iso2022Jp, "\x1b$B2q5D\x1b(B ok", "会議 ok"},
        {"ISO-2022-JP NEC row 13 and IBM rows", Charset::Iso2022Jp, "\x1b$B-!-j->\x1b(B", "①㈱Ⅹ"},
        {"ISO-2022-JP katakana escape", Charset::Iso2022Jp, "\x1b(I6E\x1b(Bx", "ｶﾅx"},
        {"ISO-2022-JP JIS X 0212", Charset::Iso2022Jp, "\x1b$(D0!\x1b(B", "〓"},
        {"Shift_JIS unchanged", Charset::ShiftJis, "会議ｶﾅ", "会議ｶﾅ"},
        {"EUC-JP", Charset::EucJp, "\xB2\xF1\xB5\xC4 \x8E\xB6\x8E\xC5", "会議 ｶﾅ"},
        {"EUC-JP JIS X 0212 and stray bytes", Charset::EucJp,
         "\x8F\xB0\xA1"
         "a\xA1"
         "b",
         "〓a〓b"},
        {"ISO-8859-1", Charset::Latin1, "caf\xE9 \xD7\xF7\xB0\xA7\xB6", "caf〓 ×÷°§¶"},
        {"ISO-8859-2", Charset::Latin2, "\xB4\xA8\xE9", "´¨〓"},
        {"ISO-8859-5", Charset::Cyrillic, "\xBF\xE0\xD8\xD2\xD5\xE2", "Привет"},
        {"ISO-8859-7", Charset::Greek, "\xE1\xE2\xE3 \xD9", "αβγ Ω"},
        {"ISO-8859-15 euro sign", Charset::Latin9, "\xA4 5", "〓 5"},
        {"Windows-1250", Charset::Windows1250, "\x84\x93\x94", "〓“”"},
        {"Windows-1251", Charset::Windows1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {"Windows-1252 curly quotes", Charset::Windows1252, "\x93q\x94 \x91s\x92 \x85", "“q” ‘s’ …"},
        {"Windows-1252 C1 hole", Charset::Windows1252, "\x81", "〓"},
        {"KOI8-R", Charset::Koi8R, "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
        {"unknown charset passes bytes", Charset::Unknown, "\xA4\xA2\x1b$B", "\xA4\xA2\x1b$B"},
        {"US-ASCII with undeclared UTF-8", Charset::Ascii, U8("猫"), "猫"},
        // Chinese and Korean: what code page 932 holds, and the mark for the rest.
        {"GB2312 hanzi, one simplified", Charset::Gbk,
         "\xBB\xE1\xD2\xE9\xC8\xD5\xB3\xCC\xA3\xBA\xC3\xF7\xCC\xEC\xCF\xC2\xCE\xE7 3", "会〓日程：明天下午 3"},
        {"GBK extension, traditional forms", Charset::Gbk, "\x95\xFE\xD5\x68", "會説"},
        {"GB18030 four-byte sequences", Charset::Gbk,
         "a\x84\x31\x97\x38"   // half-width katakana
         "b\x81\x39\xA7\x39"   // katakana middle dot
         "c\x81\x30\x81\x30"   // the first, U+0080
         "d\x84\x31\xA4\x39"   // the last of the BMP, U+FFFF
         "e\x84\x31\xA5\x30"   // past it, no character
         "f\x94\x39\xCE\x33",  // beyond the BMP
         "aｶb・c〓d〓e〓f〓"},
        {"GBK bytes that start nothing", Charset::Gbk, "\x80x\xFFy\xB0\nz\xB0\x7F", "〓x〓y〓\nz〓\x7F"},
        {"GBK digit after a lead, not GB18030", Charset::Gbk, "\x81\x30x", "〓0x"},
        {"GBK cut off by the end", Charset::Gbk, "ab\xB0", "ab"},
        {"GB18030 cut off by the end", Charset::Gbk, "ab\x81\x30\x81", "ab"},
        {"Big5 traditional hanzi", Charset::Big5, "\xB7\x7C\xC4\xB3\xB3\x71\xAA\xBE\xA1\x47\xB3\x6F\xAD\xD3",
         "會議通知：這個"},
        {"Big5 hanzi CP932 lacks", Charset::Big5, "\xB6\xDC!", "〓!"},
        {"Big5 kana of the common extension", Charset::Big5, "\xC6\xA6\xC6\xF9", "あア"},
        {"Big5 Hong Kong and user-defined codes", Charset::Big5, "\x88\x40\xFA\x40", "〓〓"},
        {"Big5 bad trail and stray bytes", Charset::Big5, "\xA4 \x80\xFF", "〓 〓〓"},
        {"Big5 cut off by the end", Charset::Big5, "ok\xA4", "ok"},
        {"EUC-KR hangul, hanja and ASCII", Charset::EucKr, "\xC8\xB8\xC0\xC7 \xBE\xC8\xB3\xBB (\xFC\xE5\xEC\xA1) OK",
         "〓〓 〓〓 (會議) OK"},
        {"Unified Hangul Code syllables", Charset::EucKr, "\x8C\x63\xB9\xE6\xA1\x41x", "〓〓〓x"},
        {"EUC-KR bytes that start nothing", Charset::EucKr, "\xC7\x41\x80", "〓A〓"},
        {"EUC-KR cut off by the end", Charset::EucKr, "ok\xB0", "ok"},
    };
    for (const ConversionCase& c : cases) {
        EXPECT_EQ(c.expected, text::toShiftJis(c.charset, c.input)) << c.name;
    }
}

TEST(ToShiftJis, AppendsToWhatIsThere) {
    std::string out = "Re: ";
    text::appendShiftJis(Charset::Utf8, U8("猫"), out);
    text::appendShiftJis(Charset::Koi8R, "\xE3", out);
    EXPECT_EQ("Re: 猫Ц", out);
}

TEST(GuessCharset, ReadsTextThatDeclaresNone) {
    const struct {
        const char* name;
        std::string input;
        Charset expected;
    } cases[] = {
        {"plain ASCII", "Hello", Charset::ShiftJis},
        {"ISO-2022-JP escape", "a\x1b$B2q\x1b(B", Charset::Iso2022Jp},
        {"escape wins over 8-bit bytes", "\x82\xA0\x1b(I1", Charset::Iso2022Jp},
        {"UTF-8", U8("会議です"), Charset::Utf8},
        {"UTF-8 cut off at the end", std::string(U8("会議")).substr(0, 5), Charset::Utf8},
        {"Shift_JIS", "会議です", Charset::ShiftJis},
        {"Shift_JIS half-width katakana, an odd run", "\xB6\xC5\xB6", Charset::ShiftJis},
        {"EUC-JP only", "\xB2\xF1\xB5\xC4\xA4\xC7\xA4\xB9", Charset::EucJp},
        {"EUC-JP with half-width katakana", "\xA4\xA2\x8E\xB6", Charset::EucJp},
        {"bytes that are neither", "\xA4\xA2\x81", Charset::ShiftJis},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, text::guessCharset(c.input)) << c.name;
        // Text that declares none is converted by the same reading.
        EXPECT_EQ(text::toShiftJis(c.expected, c.input), text::toShiftJis(Charset::Ascii, c.input)) << c.name;
    }
}

TEST(CharsetByName, KnowsTheNamesAndAliasesInAnyLetterCase) {
    const struct {
        const char* name;
        Charset expected;
    } cases[] = {
        {"UTF-8", Charset::Utf8},
        {"utf8", Charset::Utf8},
        {"Utf-8*ja", Charset::Utf8},
        {"ISO-2022-JP", Charset::Iso2022Jp},
        {"iso-2022-jp-ms", Charset::Iso2022Jp},
        {"CP50220", Charset::Iso2022Jp},
        {"Shift_JIS", Charset::ShiftJis},
        {"shift-jis", Charset::ShiftJis},
        {"x-sjis", Charset::ShiftJis},
        {"Windows-31J", Charset::ShiftJis},
        {"CP932", Charset::ShiftJis},
        {"EUC-JP", Charset::EucJp},
        {"x-euc-jp", Charset::EucJp},
        {"us-ascii", Charset::Ascii},
        {"ISO-8859-1", Charset::Latin1},
        {"latin1", Charset::Latin1},
        {"iso-8859-2", Charset::Latin2},
        {"ISO-8859-5", Charset::Cyrillic},
        {"iso-8859-7", Charset::Greek},
        {"ISO-8859-15", Charset::Latin9},
        {"windows-1250", Charset::Windows1250},
        {"WINDOWS-1251", Charset::Windows1251},
        {"cp1252", Charset::Windows1252},
        {"KOI8-R", Charset::Koi8R},
        {"GB2312", Charset::Gbk},
        {"CP936", Charset::Gbk},
        {"X-GBK", Charset::Gbk},
        {"GB18030", Charset::Gbk},
        {"Big5", Charset::Big5},
        {"BIG5-HKSCS", Charset::Big5},
        {"x-x-big5", Charset::Big5},
        {"EUC-KR", Charset::EucKr},
        {"ks_c_5601-1987", Charset::EucKr},
        {"CP949", Charset::EucKr},
        {"UHC", Charset::EucKr},
        {"korean", Charset::EucKr},
        {"ibm-1047", Charset::Unknown},
        {"", Charset::Unknown},
        {"utf-8x", Charset::Unknown},
        {"utf", Charset::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, text::charsetByName(c.name)) << c.name;
    }
}

// ASCII and runs of three-byte characters are read in blocks: the result must not depend on where a character
// falls against them. Each text, behind every amount of ASCII and concatenated, converts as its parts do.
TEST(ToShiftJis, ConvertsTheSameWhereverACharacterFalls) {
    const ConversionCase parts[] = {
        {"kanji run", Charset::Utf8, U8("会議の資料です"), "会議の資料です"},
        {"byte order mark inside a run", Charset::Utf8, U8("猫\uFEFF犬"), "猫犬"},
        {"half-width katakana inside a run", Charset::Utf8, U8("会ｶ議"), "会ｶ議"},
        {"run broken by a malformed sequence", Charset::Utf8, "\xE4\xBC\x9A\xE4\x41", "会〓A"},
        {"two-byte and four-byte characters", Charset::Utf8, U8("é×🐱α"), "〓×〓α"},
        {"EUC-JP", Charset::EucJp, "\xB2\xF1\xB5\xC4", "会議"},
        {"GBK and GB18030", Charset::Gbk, "\xC8\xD5\xB1\xBE\xD2\xE9\x84\x31\x97\x38", "日本〓ｶ"},
        {"Big5", Charset::Big5, "\xB9\x71\xA4\x6C", "電子"},
        {"EUC-KR", Charset::EucKr, "\xC8\xB8\xFC\xE5", "〓會"},
        {"ISO-2022-JP run with a stray byte", Charset::Iso2022Jp, "\x1b$B2q5D\n2q\x1b(B", "会議\n会"},
    };
    for (int pad = 0; pad <= 17; ++pad) {
        const std::string ascii(static_cast<std::size_t>(pad), 'x');
        std::string allInput;
        std::string allExpected;
        for (const ConversionCase& c : parts) {
            EXPECT_EQ(ascii + c.expected + ascii, text::toShiftJis(c.charset, ascii + c.input + ascii))
                << c.name << ", " << pad << " bytes of ASCII around it";
            if (c.charset == Charset::Utf8) {
                allInput += c.input + ascii;
                allExpected += c.expected + ascii;
            }
        }
        EXPECT_EQ(allExpected, text::toShiftJis(Charset::Utf8, allInput)) << pad;
    }
}

// Runs of kanji are converted many pairs at a time: every JIS pair, in one long run and in runs of every length
// around a line end or a stray byte, must come out as the pair rule gives it.
TEST(ToShiftJis, ConvertsEveryJisPairInARunAsThePairRuleDoes) {
    std::string run;
    std::string expected;
    for (unsigned first = 0x21; first <= 0x7E; ++first) {
        for (unsigned second = 0x21; second <= 0x7E; ++second) {
            unsigned char lead = 0;
            unsigned char trail = 0;
            testjis::pairToSjis(first, second, lead, trail);
            run += {static_cast<char>(first), static_cast<char>(second)};
            expected += {static_cast<char>(lead), static_cast<char>(trail)};
        }
    }
    EXPECT_EQ(expected, text::toShiftJis(Charset::Iso2022Jp, "\x1b$B" + run + "\x1b(B"));
    for (std::size_t pairs = 0; pairs <= 20; ++pairs) {
        const std::size_t at = 2 * (pairs * 397 % 8000);
        const std::string piece = run.substr(at, 2 * pairs);
        const std::string converted = expected.substr(at, 2 * pairs);
        EXPECT_EQ(converted + "\n" + converted + "x",
                  text::toShiftJis(Charset::Iso2022Jp, "\x1b$B" + piece + "\n" + piece + "\x1b(Bx"))
            << pairs << " pairs";
    }
}

// Whatever the input, the output is well-formed Shift_JIS: no lead byte without its trail, no byte that is no
// character. Random bytes in every charset that converts.
TEST(ToShiftJis, AlwaysWritesWellFormedShiftJis) {
    const Charset charsets[] = {Charset::Utf8,        Charset::EucJp,       Charset::Latin1, Charset::Latin2,
                                Charset::Cyrillic,    Charset::Greek,       Charset::Latin9, Charset::Windows1250,
                                Charset::Windows1251, Charset::Windows1252, Charset::Koi8R,  Charset::Gbk,
                                Charset::Big5,        Charset::EucKr};
    unsigned state = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string input(static_cast<std::size_t>(round % 40), '\0');
        for (char& c : input) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 16);
        }
        for (Charset charset : charsets) {
            const std::string out = text::toShiftJis(charset, input);
            ASSERT_LE(out.size(), 2 * input.size());
            for (std::size_t i = 0; i < out.size(); ++i) {
                const auto b = static_cast<unsigned char>(out[i]);
                if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
                    ASSERT_LT(i + 1, out.size()) << "lead byte at the end";
                    const auto t = static_cast<unsigned char>(out[++i]);
                    ASSERT_TRUE((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) << "trail byte " << int(t);
                } else {
                    ASSERT_TRUE(b < 0x80 || (b >= 0xA1 && b <= 0xDF)) << "byte " << int(b);
                }
            }
        }
    }
}

}  // namespace
